#include "branding/HelpPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef QUILLORA_POSIX_TESTS
#include <unistd.h>

#include "LyingTempFolder.h"
#endif

#include "fakes/FakeMessageBoxes.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedTempFolder.h"
#include "fakes/ScratchFolder.h"
#include "resources/Resources.h"

namespace quillora {
namespace {

using Step = testing::FaultyFileSystem::Step;

const char kHelpMessage[] = "Unable to show help through your Internet browser";

std::string WriteMessage(const std::string& path) { return "Failed to write file " + path; }

struct Branding {
    std::string title;
    std::string name;
    std::string address;
};

const Branding kUnbranded{"Quillora", "Corvalis", "http://www.corvalis.example/"};

// The four places of the page that carry the branding, each a whole line of the page.
void ExpectBrandingInPlace(const std::string& page, const Branding& b) {
    EXPECT_NE(page.find("\r\n<HTML><HEAD><TITLE>" + b.title + "</TITLE></HEAD>\r\n"), std::string::npos) << b.title;
    EXPECT_NE(page.find("\r\n<FONT face=\"Arial\" color=#b00000 size=6>" + b.title + "<BR></FONT>\r\n"), std::string::npos)
        << b.title;
    EXPECT_NE(page.find("<b>Another quality tool from<br><br><a href=\"" + b.address + "\">" + b.name +
                        "</a></b><BR></FONT>\r\n"),
              std::string::npos)
        << b.name;
    EXPECT_NE(page.find("\r\n<BR><a href=\"" + b.address +
                        "\"><FONT face=\"Arial\" color=#000000 size=2>Click Here For More Software From " + b.name +
                        "</FONT></a>\r\n"),
              std::string::npos)
        << b.name;
}

TEST(HelpPageText, CarriesTheBrandingUnescapedInItsFourPlaces) {
    const std::string pattern(resources::HelpPagePattern());
    const Branding cases[] = {
        kUnbranded,
        {"Tom & Jerry's \"<Best>\" Tools", "A&B <Resale> \"Ltd\"", "http://r.example/?a=1&b=<2>&c=\"3\""},
        {"100%s %d %% done", "%s", "http://percent.example/%20%s"},  // the values are never formats
        {std::string(59, 'T'), std::string(99, 'N'), std::string(795, 'a').replace(100, 6, "\"<>&'\"")},
        {"Quillora", "Corvalis", ""},
    };
    for (const Branding& b : cases) {
        const TextBuffer page = BuildHelpPage(TextBuffer(b.title), TextBuffer(b.name), TextBuffer(b.address));
        const std::string bytes(page.Bytes());
        ExpectBrandingInPlace(bytes, b);
        // Six values in the place of six "%s", nothing lost or added around them.
        EXPECT_EQ(bytes.size(), pattern.size() - 12 + 2 * (b.title.size() + b.name.size() + b.address.size()));
        EXPECT_EQ(bytes.rfind("</CENTER></BODY></HTML>"), bytes.size() - 23);  // no line end after the last line
    }
}

TEST(HelpPageText, UnbrandedPageHoldsNoPercentSignAndLinksThePictureByItsBareName) {
    const std::string page(BuildHelpPage("Quillora", "Corvalis", "http://www.corvalis.example/").Bytes());
    EXPECT_EQ(page.find('%'), std::string::npos);
    EXPECT_EQ(page.rfind("\r\n", 1), 0u);  // it begins with an empty line
    EXPECT_NE(page.find(std::string("<IMG SRC=\"") + kHelpPictureFileName + "\">"), std::string::npos);
}

class HelpPageTest : public ::testing::Test {
protected:
    std::string PagePath() const { return scratch / kHelpPageFileName; }
    std::string PicturePath() const { return scratch / kHelpPictureFileName; }
    std::string HelpPageBytes(const Branding& b = kUnbranded) const {
        return std::string(BuildHelpPage(TextBuffer(b.title), TextBuffer(b.name), TextBuffer(b.address)).Bytes());
    }

    bool ClickHelp(HelpPage& command, const Branding& b = kUnbranded) {
        return command.Show(TextBuffer(b.title), TextBuffer(b.name), TextBuffer(b.address), helpPagePath, helpPicturePath);
    }
    bool ClickHelp(const Branding& b = kUnbranded) { return ClickHelp(help, b); }
    bool ClickBanner(const std::string& address) {
        return launcher.OpenViaRedirectPage(TextBuffer(address), true, helpPagePath);
    }
    void ExpectMessages(const std::vector<std::string>& texts) {
        EXPECT_EQ(boxes.Texts(), texts);
        for (const MessageRequest& shown : boxes.shown) {
            EXPECT_EQ(shown.icon, MessageIcon::Error);
            EXPECT_EQ(shown.buttons, MessageButtons::Ok);
            EXPECT_EQ(shown.caption, "Quillora");
        }
    }

    testing::ScratchFolder scratch;
    testing::FixedTempFolder temporary{scratch.Path().string() + "/"};
    testing::FaultyFileSystem fileSystem;
    testing::FakeMessageBoxes boxes;
    testing::FakeShell shell;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo files{fileSystem, messages};
    BrowserLauncher launcher{files, shell, temporary};
    HelpPage help{files, messages, launcher};
    TextBuffer helpPagePath;
    TextBuffer helpPicturePath;
};

TEST_F(HelpPageTest, WritesThePageAndThePictureAndOpensThePage) {
    EXPECT_TRUE(ClickHelp());
    EXPECT_EQ(helpPagePath.Bytes(), PagePath());
    EXPECT_EQ(helpPicturePath.Bytes(), PicturePath());
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());
    const std::string picture = testing::ScratchFolder::Read(PicturePath());
    EXPECT_EQ(picture, std::string(resources::HelpPicture()));
    EXPECT_EQ(picture.size(), 5225u);
    EXPECT_EQ(picture.substr(0, 6), "GIF89a");
    EXPECT_EQ(shell.opened, std::vector<std::string>{PagePath()});
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HelpPageTest, TwoClicksRewriteBothFilesAndOpenThePageTwice) {
    EXPECT_TRUE(ClickHelp());
    testing::ScratchFolder::Write(PagePath(), "stale");
    testing::ScratchFolder::Write(PicturePath(), "stale");
    const Branding branded{"Reseller's <Title>", "R & R", "http://r.example/\"q\""};
    EXPECT_TRUE(ClickHelp(branded));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes(branded));
    EXPECT_EQ(testing::ScratchFolder::Read(PicturePath()), std::string(resources::HelpPicture()));
    EXPECT_EQ(shell.opened, (std::vector<std::string>{PagePath(), PagePath()}));
    EXPECT_EQ(temporary.queries, 1);
}

TEST_F(HelpPageTest, HelpAndBannerShareThePageFile) {
    const std::string address(795, 'x');
    const std::string redirect = "<HTML><HEAD><TITLE>Redirect</TITLE>\n<META HTTP-EQUIV=\"refresh\" CONTENT=\"0; URL=" +
                                 address +
                                 "\">\n</HEAD><BODY><br><br><br><center>If you are not redirected automatically, please "
                                 "<a href=\"" +
                                 address + "\" style=\"color:#000000\">click here</a></center></BODY></HTML>";

    // Banner first: only the page path is set; Help then computes both and finds the same file.
    EXPECT_TRUE(ClickBanner(address));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), redirect);
    EXPECT_TRUE(helpPicturePath.IsEmpty());
    EXPECT_TRUE(ClickHelp());
    EXPECT_EQ(temporary.queries, 2);
    EXPECT_EQ(helpPagePath.Bytes(), PagePath());
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());

    // Banner after Help: the redirect page replaces the help page; the picture stays as it is.
    testing::ScratchFolder::Write(PicturePath(), "picture as left");
    EXPECT_TRUE(ClickBanner(address));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), redirect);
    EXPECT_EQ(testing::ScratchFolder::Read(PicturePath()), "picture as left");
    EXPECT_EQ(shell.opened, (std::vector<std::string>{PagePath(), PagePath(), PagePath()}));
    EXPECT_EQ(temporary.queries, 2);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HelpPageTest, AFailedWriteShowsItsOwnMessageThenTheHelpMessage) {
    struct Case {
        const char* name;
        Step step;
        int nthCall;
        bool pageFails;  // otherwise the picture fails
    };
    const Case cases[] = {
        {"read-only folder, page", Step::CreateBeside, 1, true},
        {"full disk, page", Step::ShortWrite, 1, true},
        {"flush, page", Step::Flush, 1, true},
        {"rename, page", Step::Rename, 1, true},
        {"read-only folder, picture", Step::CreateBeside, 2, false},
        {"full disk, picture", Step::ShortWrite, 2, false},
        {"rename, picture", Step::Rename, 2, false},
    };
    for (const Case& c : cases) {
        testing::ScratchFolder folder;
        testing::FixedTempFolder place(folder.Path().string() + "/");
        testing::FaultyFileSystem faulty;
        FileIo faultyFiles(faulty, messages);
        BrowserLauncher faultyLauncher(faultyFiles, shell, place);
        HelpPage faultyHelp(faultyFiles, messages, faultyLauncher);
        boxes.shown.clear();
        helpPagePath.Clear();
        helpPicturePath.Clear();
        faulty.FailAt(c.step, c.nthCall);

        EXPECT_FALSE(ClickHelp(faultyHelp)) << c.name;
        const std::string failed = c.pageFails ? folder / kHelpPageFileName : folder / kHelpPictureFileName;
        ExpectMessages({WriteMessage(failed), kHelpMessage});
        EXPECT_TRUE(shell.opened.empty()) << c.name;
        EXPECT_EQ(std::filesystem::exists(folder / kHelpPictureFileName), false) << c.name;
        EXPECT_EQ(std::filesystem::exists(folder / kHelpPageFileName), !c.pageFails) << c.name;
        EXPECT_EQ(folder.Entries().size(), c.pageFails ? 0u : 1u) << c.name;  // no temporary file left behind
    }
}

TEST_F(HelpPageTest, ARefusedPageShowsOnlyTheHelpMessage) {
    for (int refused : {Shell::kRefusedAtMost, Shell::kNoProgram, 0}) {
        boxes.shown.clear();
        shell.result = refused;
        EXPECT_FALSE(ClickHelp());
        ExpectMessages({kHelpMessage});
        EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());
        EXPECT_EQ(testing::ScratchFolder::Read(PicturePath()), std::string(resources::HelpPicture()));
    }
}

TEST_F(HelpPageTest, LinksPlantedAtTheHelpFilesAreReplacedNotWrittenThrough) {
    const std::string outsidePage = scratch / "outside.html";
    const std::string outsidePicture = scratch / "outside.gif";
    testing::ScratchFolder::Write(outsidePage, "someone else's page");
    testing::ScratchFolder::Write(outsidePicture, "someone else's picture");
    std::filesystem::create_symlink(outsidePage, PagePath());
    std::filesystem::create_symlink(outsidePicture, PicturePath());

    EXPECT_TRUE(ClickHelp());
    EXPECT_EQ(testing::ScratchFolder::Read(outsidePage), "someone else's page");
    EXPECT_EQ(testing::ScratchFolder::Read(outsidePicture), "someone else's picture");
    EXPECT_FALSE(std::filesystem::is_symlink(PagePath()));
    EXPECT_FALSE(std::filesystem::is_symlink(PicturePath()));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());
}

#ifdef QUILLORA_POSIX_TESTS
// The real temporary folder, in a scratch folder standing for the system's.
class HelpInTempFolderTest : public HelpPageTest {
protected:
    PosixTempFolder::Environment Places() const { return {scratch / "run", "", scratch / "cache", ""}; }
    std::string RunEntry() const { return scratch / "run"; }
    std::string FallbackFolder() const { return scratch / "cache/quillora/"; }
    bool ClickHelpIn(TempFolder& place) {
        BrowserLauncher placedLauncher(files, shell, place);
        HelpPage placedHelp(files, messages, placedLauncher);
        return ClickHelp(placedHelp);
    }

    void SetUp() override { std::filesystem::create_directory(scratch / "cache"); }
};

TEST_F(HelpInTempFolderTest, AnUnsafePrivateFolderIsPassedOverForTheCacheFolder) {
    std::filesystem::create_directory(RunEntry());
    using Lie = testing::LyingTempFolder::Lie;
    for (Lie lie : {Lie::NotOwned, Lie::Link, Lie::NotAFolder, Lie::OthersMayWrite}) {
        testing::LyingTempFolder place(Places(), ::geteuid());
        place.lies[RunEntry()] = lie;
        shell.opened.clear();
        helpPagePath.Clear();
        helpPicturePath.Clear();
        EXPECT_TRUE(ClickHelpIn(place));
        EXPECT_EQ(helpPagePath.Bytes(), FallbackFolder() + kHelpPageFileName);
        EXPECT_EQ(helpPicturePath.Bytes(), FallbackFolder() + kHelpPictureFileName);
        EXPECT_EQ(shell.opened, std::vector<std::string>{FallbackFolder() + kHelpPageFileName});
        EXPECT_TRUE(std::filesystem::is_empty(RunEntry()));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HelpInTempFolderTest, APrivateFolderThatIsALinkIsNeverWrittenThrough) {
    std::filesystem::create_directory(scratch / "outside");
    std::filesystem::permissions(scratch / "outside", std::filesystem::perms::owner_all);
    std::filesystem::create_directory_symlink(scratch / "outside", RunEntry());
    PosixTempFolder place(Places(), ::geteuid());
    EXPECT_TRUE(ClickHelpIn(place));
    EXPECT_TRUE(std::filesystem::is_empty(scratch / "outside"));
    EXPECT_EQ(testing::ScratchFolder::Read(FallbackFolder() + kHelpPageFileName), HelpPageBytes());
}

TEST_F(HelpInTempFolderTest, WithoutAnyUsableFolderTheWriteFailsWithItsMessage) {
    std::filesystem::create_directory(RunEntry());
    testing::LyingTempFolder place(Places(), ::geteuid());
    place.lies[RunEntry()] = testing::LyingTempFolder::Lie::NotOwned;
    place.lies[scratch / "cache/quillora"] = testing::LyingTempFolder::Lie::NotOwned;
    EXPECT_FALSE(ClickHelpIn(place));
    const std::string page = std::string(PosixTempFolder::kUnusable) + kHelpPageFileName;
    EXPECT_EQ(helpPagePath.Bytes(), page);
    ExpectMessages({WriteMessage(page), kHelpMessage});
    EXPECT_TRUE(shell.opened.empty());

    boxes.shown.clear();
    EXPECT_FALSE(launcher.OpenViaRedirectPage("http://a.example/", true, helpPagePath));
    ExpectMessages({WriteMessage(page)});
}

#endif  // QUILLORA_POSIX_TESTS

}  // namespace
}  // namespace quillora
