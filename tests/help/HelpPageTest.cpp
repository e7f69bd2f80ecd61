#include "branding/HelpPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
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
    testing::FixedTempFolder temporary{scratch.Path().string() + testing::kSep};
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
    EXPECT_EQ(temporary.queries, 4);  // the folder is checked before each of the four writes
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
    EXPECT_EQ(temporary.queries, 3);
    EXPECT_EQ(helpPagePath.Bytes(), PagePath());
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());

    // Banner after Help: the redirect page replaces the help page; the picture stays as it is.
    testing::ScratchFolder::Write(PicturePath(), "picture as left");
    EXPECT_TRUE(ClickBanner(address));
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), redirect);
    EXPECT_EQ(testing::ScratchFolder::Read(PicturePath()), "picture as left");
    EXPECT_EQ(shell.opened, (std::vector<std::string>{PagePath(), PagePath(), PagePath()}));
    EXPECT_EQ(temporary.queries, 4);
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
        {"putting the page in place", Step::PutInPlace, 1, true},
        {"read-only folder, picture", Step::CreateBeside, 2, false},
        {"full disk, picture", Step::ShortWrite, 2, false},
        {"putting the picture in place", Step::PutInPlace, 2, false},
    };
    for (const Case& c : cases) {
        testing::ScratchFolder folder;
        testing::FixedTempFolder place(folder.Path().string() + testing::kSep);
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

#ifndef _WIN32
// Links planted at both names, to set-user-ID files: the links are replaced by files of the
// help's own, with the mode of a new file, and the files they pointed to stay as they were.
TEST_F(HelpPageTest, LinksPlantedAtTheHelpFilesAreReplacedNotWrittenThrough) {
    const std::string outsidePage = scratch / "outside.html";
    const std::string outsidePicture = scratch / "outside.gif";
    testing::ScratchFolder::Write(outsidePage, "someone else's page");
    testing::ScratchFolder::Write(outsidePicture, "someone else's picture");
    ASSERT_EQ(::chmod(outsidePage.c_str(), 04755), 0);
    ASSERT_EQ(::chmod(outsidePicture.c_str(), 06755), 0);
    std::filesystem::create_symlink(outsidePage, PagePath());
    std::filesystem::create_symlink(outsidePicture, PicturePath());

    EXPECT_TRUE(ClickHelp());
    EXPECT_EQ(testing::ScratchFolder::Read(outsidePage), "someone else's page");
    EXPECT_EQ(testing::ScratchFolder::Read(outsidePicture), "someone else's picture");
    EXPECT_EQ(testing::ScratchFolder::Read(PagePath()), HelpPageBytes());
    EXPECT_EQ(testing::ScratchFolder::Read(PicturePath()), std::string(resources::HelpPicture()));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t newFile = S_IFREG | (0666 & ~mask);
    const std::pair<std::string, mode_t> expected[] = {
        {PagePath(), newFile}, {PicturePath(), newFile}, {outsidePage, S_IFREG | 04755}, {outsidePicture, S_IFREG | 06755}};
    for (const auto& [path, mode] : expected) {
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode, mode) << path;
    }
}
#endif

#ifndef _WIN32
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
    BrowserLauncher placedLauncher(files, shell, place);
    EXPECT_FALSE(placedLauncher.OpenViaRedirectPage("http://a.example/", true, helpPagePath));
    ExpectMessages({WriteMessage(page)});
}

// Between two Help clicks the private folder is swapped for one that is not safe: the second
// click checks it again, writes nothing into it, and moves both files to the fallback folder.
TEST_F(HelpInTempFolderTest, AFolderSwappedBetweenTwoClicksIsNeverWrittenInto) {
    const std::string elsewhere = scratch / "elsewhere";
    struct Case {
        const char* what;
        std::function<void(const std::string&)> swap;  // puts something else where the folder was
    };
    const Case cases[] = {
        {"a folder that others may write",
         [](const std::string& at) {
             std::filesystem::create_directory(at);
             EXPECT_EQ(::chmod(at.c_str(), 0777), 0);
         }},
        {"a folder of another user",
         [](const std::string& at) {
             std::filesystem::create_directory(at);
             EXPECT_EQ(::chown(at.c_str(), 65534, 65534), 0);
         }},
        {"a link to another folder",
         [&](const std::string& at) {
             std::filesystem::create_directory(elsewhere);
             std::filesystem::create_directory_symlink(elsewhere, at);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        helpPagePath.Clear();
        helpPicturePath.Clear();
        shell.opened.clear();
        PosixTempFolder place(Places(), ::geteuid());
        BrowserLauncher placedLauncher(files, shell, place);
        HelpPage placedHelp(files, messages, placedLauncher);

        EXPECT_TRUE(ClickHelp(placedHelp));
        const std::string first = RunEntry() + "/" + kHelpPageFileName;
        EXPECT_EQ(helpPagePath.Bytes(), first);
        std::filesystem::rename(RunEntry(), scratch / "taken away");
        c.swap(RunEntry());

        EXPECT_TRUE(ClickHelp(placedHelp));
        EXPECT_TRUE(std::filesystem::is_empty(RunEntry())) << "written into the swapped folder";
        EXPECT_EQ(helpPagePath.Bytes(), FallbackFolder() + kHelpPageFileName);
        EXPECT_EQ(helpPicturePath.Bytes(), FallbackFolder() + kHelpPictureFileName);
        EXPECT_EQ(testing::ScratchFolder::Read(FallbackFolder() + kHelpPageFileName), HelpPageBytes());
        EXPECT_EQ(shell.opened, (std::vector<std::string>{first, FallbackFolder() + kHelpPageFileName}));
        // The banner's page too goes only where the check allows.
        EXPECT_TRUE(placedLauncher.OpenViaRedirectPage("http://a.example/", true, helpPagePath));
        EXPECT_TRUE(std::filesystem::is_empty(RunEntry()));

        std::filesystem::remove_all(scratch / "taken away");
        std::filesystem::remove(RunEntry());  // the link, or the empty folder
        std::filesystem::remove_all(elsewhere);
        std::filesystem::remove_all(scratch / "cache/quillora");
    }
    EXPECT_TRUE(boxes.shown.empty());
}
#endif

}  // namespace
}  // namespace quillora
