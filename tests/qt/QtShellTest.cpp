#include "adapters/qt/QtShell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "StandInOpener.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

struct ExitCase {
    const char* name;
    const char* body;  // what the stand-in xdg-open does
    int result;
};

TEST(QtShell, TheExitOfXdgOpenDecidesTheResult) {
    const ExitCase cases[] = {
        {"opened", "exit 0", Shell::kAccepted},
        {"syntax error", "exit 1", QtShell::kOpenFailed},
        {"file not found", "exit 2", QtShell::kOpenFailed},
        {"no program for the file", "exit 3", Shell::kNoProgram},
        {"the program failed", "exit 4", QtShell::kOpenFailed},
        {"killed", "kill -9 $$", QtShell::kOpenFailed},
    };
    // Handed over whole as one argument, whatever bytes it holds.
    const std::string file = "/tmp/a folder/caf\xC3\xA9 \"page\" $HOME;.html";
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::StandInOpener opener(c.body);
        QtShell shell;
        const int result = shell.OpenWithDefaultProgram(file);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(Shell::Accepted(result), c.result == Shell::kAccepted);
        EXPECT_EQ(opener.Opened(), file + "\n");
    }
}

TEST(QtShell, WithoutXdgOpenNoProgramOpensTheFile) {
    testing::ScratchFolder empty;
    const std::string formerPath = std::getenv("PATH");
    ::setenv("PATH", empty.Path().c_str(), 1);
    QtShell shell;
    const int result = shell.OpenWithDefaultProgram("/tmp/page.html");
    ::setenv("PATH", formerPath.c_str(), 1);
    EXPECT_EQ(result, Shell::kNoProgram);
}

TEST(QtShell, XdgOpenGetsNoneOfTheProgramsOpenFiles) {
    testing::ScratchFolder folder;
    const int open = ::open((folder / "settings.lock").c_str(), O_CREAT | O_RDWR, 0600);  // inheritable
    ASSERT_GE(open, 3);
    testing::StandInOpener opener("[ -e /proc/$$/fd/" + std::to_string(open) + " ] && exit 4; exit 0");
    QtShell shell;
    EXPECT_EQ(shell.OpenWithDefaultProgram("/tmp/page.html"), Shell::kAccepted);
    ::close(open);
}

// A browser that xdg-open runs in the foreground keeps it from ending: after the patience the
// file counts as opened, and xdg-open runs on to its end.
TEST(QtShell, AnXdgOpenThatOutlastsThePatienceCountsAsAcceptedAndRunsOn) {
    testing::ScratchFolder folder;
    const std::string finished = folder / "finished";
    testing::StandInOpener opener("sleep 1; touch '" + finished + "'; exit 4");
    QtShell shell(std::chrono::milliseconds(100));
    EXPECT_EQ(shell.OpenWithDefaultProgram("/tmp/page.html"), Shell::kAccepted);
    EXPECT_FALSE(std::filesystem::exists(finished));
    for (int i = 0; i < 200 && !std::filesystem::exists(finished); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_TRUE(std::filesystem::exists(finished)) << "xdg-open was stopped";
}

}  // namespace
}  // namespace quillora
