#include "branding/BrowserLauncher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using Step = testing::FaultyFileSystem::Step;

// Typed out here on its own, not taken from the code under test.
std::string RedirectPageFor(const std::string& address) {
    return "<HTML><HEAD><TITLE>Redirect</TITLE>\n"
           "<META HTTP-EQUIV=\"refresh\" CONTENT=\"0; URL=" + address + "\">\n"
           "</HEAD><BODY><br><br><br><center>If you are not redirected automatically, please <a href=\"" + address +
           "\" style=\"color:#000000\">click here</a></center></BODY></HTML>";
}

std::string BrowserMessage(const std::string& address) {
    return "Unable to activate your Internet browser\n\nPlease activate your browser and enter the address:\n\n" + address;
}

class BrowserLauncherTest : public ::testing::Test {
protected:
    std::string PagePath() const { return scratch / kHelpPageFileName; }

    testing::ScratchFolder scratch;
    testing::FixedTempFolder temporary{scratch.Path().string() + testing::kSep};
    testing::FaultyFileSystem fileSystem;
    testing::FakeMessageBoxes boxes;
    testing::FakeShell shell;
    TextBuffer caption{"Reseller Title"};
    Messages messages{boxes, caption};
    FileIo files{fileSystem, messages};
    BrowserLauncher launcher{files, shell, temporary};
};

TEST_F(BrowserLauncherTest, OpenInBrowserCountsOnlyResultsAbove32AsAccepted) {
    const TextBuffer target("/some/where/page.html");
    struct Case {
        int result;
        bool accepted;
    };
    for (Case c : {Case{33, true}, Case{42, true}, Case{32, false}, Case{31, false}, Case{0, false}, Case{-1, false}}) {
        for (bool reportFailure : {false, true}) {
            boxes.shown.clear();
            shell.opened.clear();
            shell.result = c.result;
            EXPECT_EQ(launcher.OpenInBrowser(target, reportFailure), c.accepted) << c.result;
            EXPECT_EQ(shell.opened, std::vector<std::string>{"/some/where/page.html"});
            if (c.accepted || !reportFailure) {
                EXPECT_TRUE(boxes.shown.empty()) << c.result;
            } else {
                ASSERT_EQ(boxes.Texts(), std::vector<std::string>{BrowserMessage("/some/where/page.html")});
                EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
                EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
                EXPECT_EQ(boxes.shown[0].caption, "Reseller Title");
            }
        }
    }
}

TEST_F(BrowserLauncherTest, RedirectPageHoldsTheAddressTwiceUnescaped) {
    const std::string addresses[] = {
        "http://www.corvalis.example/",
        "",
        "http://x.example/?a=1&b=\"two\"<three>'four'%s%d",
        std::string(795, 'q').replace(10, 4, "\"<>&"),
    };
    for (const std::string& address : addresses) {
        shell.opened.clear();
        TextBuffer pagePath;
        EXPECT_TRUE(launcher.OpenViaRedirectPage(TextBuffer(address), true, pagePath)) << address;
        EXPECT_EQ(pagePath.Bytes(), PagePath());
        EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), RedirectPageFor(address));
        EXPECT_EQ(shell.opened, std::vector<std::string>{PagePath()});
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// The folder is checked before the page is written: a path set earlier stays only while it lies
// in the folder that the check gives now.
TEST_F(BrowserLauncherTest, RedirectPageGoesIntoTheFolderCheckedJustBefore) {
    TextBuffer pagePath(PagePath());
    EXPECT_TRUE(launcher.OpenViaRedirectPage("http://a.example/", false, pagePath));
    EXPECT_EQ(pagePath.Bytes(), PagePath());
    EXPECT_EQ(temporary.queries, 1);

    testing::ScratchFolder moved;
    temporary.folder = moved.Path().string() + testing::kSep;
    EXPECT_TRUE(launcher.OpenViaRedirectPage("http://b.example/", false, pagePath));
    EXPECT_EQ(pagePath.Bytes(), moved / kHelpPageFileName);
    EXPECT_EQ(temporary.queries, 2);
    EXPECT_EQ(testing::ScratchFolder::Read(moved / kHelpPageFileName), RedirectPageFor("http://b.example/"));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), RedirectPageFor("http://a.example/"));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{PagePath(), moved / kHelpPageFileName}));
}

TEST_F(BrowserLauncherTest, TwoBannerClicksRewriteTheSameFileAndOpenItTwice) {
    TextBuffer pagePath;
    EXPECT_TRUE(launcher.OpenViaRedirectPage("http://first.example/", true, pagePath));
    testing::ScratchFolder::Write(PagePath(), "changed in between");
    EXPECT_TRUE(launcher.OpenViaRedirectPage("http://first.example/", true, pagePath));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), RedirectPageFor("http://first.example/"));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{PagePath(), PagePath()}));
    EXPECT_EQ(temporary.queries, 2);  // checked before each write
}

TEST_F(BrowserLauncherTest, RefusedRedirectNamesTheAddressAndKeepsThePage) {
    shell.result = Shell::kNoProgram;
    TextBuffer pagePath;
    EXPECT_FALSE(launcher.OpenViaRedirectPage("http://shop.example/<b>", true, pagePath));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{BrowserMessage("http://shop.example/<b>")});
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), RedirectPageFor("http://shop.example/<b>"));

    boxes.shown.clear();
    EXPECT_FALSE(launcher.OpenViaRedirectPage("http://shop.example/", false, pagePath));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(BrowserLauncherTest, AFailedRedirectWriteShowsOnlyTheWriteMessageAndOpensNothing) {
    for (Step step : {Step::CreateBeside, Step::ShortWrite, Step::Flush, Step::PutInPlace}) {
        testing::FaultyFileSystem faulty;
        FileIo faultyFiles(faulty, messages);
        BrowserLauncher faultyLauncher(faultyFiles, shell, temporary);
        boxes.shown.clear();
        testing::ScratchFolder::Write(PagePath(), "the help page");
        faulty.FailAt(step);
        TextBuffer pagePath;
        EXPECT_FALSE(faultyLauncher.OpenViaRedirectPage("http://a.example/", true, pagePath));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Failed to write file " + PagePath()});
        EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), "the help page");
        EXPECT_TRUE(shell.opened.empty());
    }
}

TEST_F(BrowserLauncherTest, HelpPathsAreSetTogetherFromTheFolderCheckedNow) {
    const std::string page = PagePath();
    const std::string picture = scratch / kHelpPictureFileName;
    struct Case {
        const char* name;
        std::string pageBefore;
        std::string pictureBefore;
        bool stayed;
    };
    const Case cases[] = {
        {"both empty", "", "", false},
        {"picture empty", page, "", false},
        {"page empty", "", picture, false},
        {"both set elsewhere", "/elsewhere/p.html", "/elsewhere/b.gif", false},
        {"one set elsewhere", page, "/elsewhere/b.gif", false},
        {"both set in the folder", page, picture, true},
    };
    for (const Case& c : cases) {
        temporary.queries = 0;
        TextBuffer pagePath(c.pageBefore);
        TextBuffer picturePath(c.pictureBefore);
        EXPECT_EQ(launcher.FillHelpPaths(pagePath, picturePath), c.stayed) << c.name;
        EXPECT_EQ(pagePath.Bytes(), page) << c.name;
        EXPECT_EQ(picturePath.Bytes(), picture) << c.name;
        EXPECT_EQ(temporary.queries, 1) << c.name;
    }
}

#ifndef _WIN32
// Symbolic links, as a POSIX system has them.
TEST_F(BrowserLauncherTest, ALinkPlantedAtThePagePathIsReplacedNotWrittenThrough) {
    const std::string outside = scratch / "outside.txt";
    testing::ScratchFolder::Write(outside, "not yours");
    std::filesystem::create_symlink(outside, PagePath());
    TextBuffer pagePath;
    EXPECT_TRUE(launcher.OpenViaRedirectPage("http://a.example/", true, pagePath));
    EXPECT_EQ(testing::ScratchFolder::Read(outside), "not yours");
    EXPECT_FALSE(std::filesystem::is_symlink(PagePath()));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), RedirectPageFor("http://a.example/"));
}
#endif

}  // namespace
}  // namespace quillora
