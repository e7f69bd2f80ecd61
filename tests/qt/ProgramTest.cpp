// The built program as a user starts it, on an X server, driven through its window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ProgramOnDisplay.h"
#include "StandInOpener.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

TEST(Program, CommandLineArgumentsChangeNothing) {
    std::string plainOutput;
    const std::vector<std::vector<std::string>> runs = {
        {}, {"-platform", "no-such-platform"}, {"-style", "no-such-style", "-reverse"}, {"article.html", "--help"}};
    for (const std::vector<std::string>& arguments : runs) {
        SCOPED_TRACE(arguments.empty() ? "no arguments" : arguments.front());
        testing::ScratchFolder home;
        testing::ProgramOnDisplay program(home, arguments);
        ASSERT_TRUE(program.WaitForWindow());
        program.Keys({"Escape"});
        EXPECT_EQ(program.WaitForExit(), 0) << testing::ScratchFolder::Read(program.Errors());
        const std::string output = testing::ScratchFolder::Read(program.Output());
        if (arguments.empty()) plainOutput = output;
        EXPECT_EQ(output, plainOutput);
    }
}

// On a desktop where no program owns the clipboard (after logging in, or once the program that
// copied has ended), Paste and Ctrl+V leave the text as it is and the program runs on.
TEST(Program, PasteWithAnEmptyClipboardKeepsTheProgramRunning) {
    testing::ScratchFolder home;
    testing::ProgramOnDisplay program(home, {});
    ASSERT_TRUE(program.WaitForWindow());
    // From Help, five tabs reach Paste; Enter clicks it. One back is the article text.
    program.Keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Return"});
    EXPECT_TRUE(program.Running()) << "the Paste button";
    program.Keys({"shift+Tab", "ctrl+v"});
    EXPECT_TRUE(program.Running()) << "Ctrl+V in the article text";
    program.Keys({"shift+Tab", "ctrl+v"});
    EXPECT_TRUE(program.Running()) << "Ctrl+V in the article title";
    program.Keys({"Escape"});
    EXPECT_EQ(program.WaitForExit(), 0) << "ended through signal " << program.Signal();
}

// Names of the files under a folder, recursively, relative to it.
std::vector<std::string> FilesUnder(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), folder).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Help and choosing a template leave nothing behind but the settings file (and its
// lock) after the window is closed with Esc: no toolkit file and no help file.
TEST(Program, LeavesOnlyItsSettingsBehind) {
    testing::ScratchFolder home;
    testing::ScratchFolder site;
    testing::ScratchFolder::Write(site / "template.html", "<html>INSERT ARTICLE HERE</html>");
    testing::StandInOpener opener("exit 0");
    testing::ProgramOnDisplay program(home, {}, {"PATH=" + opener.folder.Path().string() + ":/usr/bin:/bin"});
    ASSERT_TRUE(program.WaitForWindow());
    program.Keys({"Return", "Tab", "Return"});  // Help, then Select
    ASSERT_TRUE(program.WaitForWindowNamed("^Select your template file$"));
    program.Type(site / "template.html");
    program.Press({"Return"});
    ASSERT_TRUE(program.WaitUntilClosed("^Select your template file$"));
    program.Keys({"Escape"});
    ASSERT_EQ(program.WaitForExit(), 0) << testing::ScratchFolder::Read(program.Errors());

    EXPECT_EQ(opener.Opened(), (home / "run/temp_vodadir_help.html") + "\n") << "Help was shown";
    EXPECT_NE(testing::ScratchFolder::Read(home / "config/quillora/registry.reg").find("\"InitDir\"=\"" + site.Path().string() + "\""),
              std::string::npos)
        << "the template was chosen";
    std::vector<std::string> left = FilesUnder(home.Path());
    // The font library's cache is the desktop's, shared by every program.
    std::erase_if(left, [](const std::string& name) { return name.rfind(".cache/fontconfig/", 0) == 0; });
    EXPECT_EQ(left, (std::vector<std::string>{"config/quillora/registry.reg", "config/quillora/registry.reg.lock"}));
}

}  // namespace
}  // namespace quillora
