#include "create/IndexUpdater.h"
#include "engine/IndexPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/FakeArticleForm.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::ScratchFolder;
using Step = testing::FaultyFileSystem::Step;

const char kMissingMarkerMessage[] =
    "Index file does not contain the text:\n\nINSERT INDEX HERE\n\nThis must be exactly as shown above (in capitol "
    "letters)";

// The link block expected for a page; the first table row spells one out byte for byte.
std::string Link(const std::string& href, const std::string& number, const std::string& title) {
    return "\r\n\r\n<a href=\"" + href + "\">" + number + ". " + title + "</a><br><br>";
}

class IndexUpdaterTest : public ::testing::Test {
protected:
    IndexUpdaterTest() {
        form.templatePath = TextBuffer(folder / "template.html");
        form.articleNumber = 7;
        form.articleTitle = "Spring news";
    }

    bool Update(const std::string& savedPage) { return updater.UpdateIndexPage(TextBuffer(savedPage)); }

    ScratchFolder folder;
    const std::string indexPath = folder / "index.html";
    testing::FaultyFileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo fileIo{files, messages};
    testing::FakeArticleForm form;
    IndexUpdater updater{form, fileIo, files, messages};
};

TEST_F(IndexUpdaterTest, InsertsOneLinkAfterTheFirstMarker) {
    struct Case {
        const char* name;
        std::string before;
        std::string savedName;
        std::int32_t number;
        std::string title;
        std::string after;
    };
    const std::string link7 = Link("article0007.html", "7", "Spring news");
    const Case cases[] = {
        {"comment marker in a page of bare line feeds", "<html>\n<body>\n<!--INSERT INDEX HERE-->\n</body>\n</html>\n",
         "article0007.html", 7, "Spring news",
         "<html>\n<body>\n<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0007.html\">7. Spring news</a><br><br>\n"
         "</body>\n</html>\n"},
        {"page of CR LF", "a\r\n<!--INSERT INDEX HERE-->\r\nb", "article0007.html", 7, "Spring news",
         "a\r\n<!--INSERT INDEX HERE-->" + link7 + "\r\nb"},
        {"several comment markers", "A<!--INSERT INDEX HERE-->B<!--INSERT INDEX HERE-->C", "article0007.html", 7,
         "Spring news", "A<!--INSERT INDEX HERE-->" + link7 + "B<!--INSERT INDEX HERE-->C"},
        {"plain markers beside a comment marker stay plain",
         "INSERT INDEX HERE|<!--INSERT INDEX HERE-->|INSERT INDEX HERE", "article0007.html", 7, "Spring news",
         "INSERT INDEX HERE|<!--INSERT INDEX HERE-->" + link7 + "|INSERT INDEX HERE"},
        {"two plain markers both become comments", "<p>INSERT INDEX HERE</p>\n<p>INSERT INDEX HERE</p>",
         "article0007.html", 7, "Spring news",
         "<p><!--INSERT INDEX HERE-->" + link7 + "</p>\n<p><!--INSERT INDEX HERE--></p>"},
        {"a comment with spaces is the plain form", "<!-- INSERT INDEX HERE -->", "article0007.html", 7,
         "Spring news", "<!-- <!--INSERT INDEX HERE-->" + link7 + " -->"},
        {"marker alone", "<!--INSERT INDEX HERE-->", "article0007.html", 7, "Spring news",
         "<!--INSERT INDEX HERE-->" + link7},
        {"bytes around the marker kept", std::string("\xEF\xBB\xBF\xE9t\xE9\r<!--INSERT INDEX HERE-->\xFF\x80", 33),
         "article0007.html", 7, "Spring news",
         std::string("\xEF\xBB\xBF\xE9t\xE9\r<!--INSERT INDEX HERE-->", 31) + link7 + "\xFF\x80"},
        {"title with quotes, percent signs and markup", "<!--INSERT INDEX HERE-->", "article0007.html", 7,
         "He said \"50% off\" & <b>%s %d</b>",
         "<!--INSERT INDEX HERE-->" + Link("article0007.html", "7", "He said \"50% off\" & <b>%s %d</b>")},
        {"title with bytes 0x80 to 0xFF", "<!--INSERT INDEX HERE-->", "article0007.html", 7, "Caf\xE9 \x80\xFF\xC3\xA9",
         "<!--INSERT INDEX HERE-->" + Link("article0007.html", "7", "Caf\xE9 \x80\xFF\xC3\xA9")},
        {"number 0", "<!--INSERT INDEX HERE-->", "article0000.html", 0, "Zero",
         "<!--INSERT INDEX HERE-->" + Link("article0000.html", "0", "Zero")},
        {"negative number", "<!--INSERT INDEX HERE-->", "article-005.html", -5, "Minus",
         "<!--INSERT INDEX HERE-->" + Link("article-005.html", "-5", "Minus")},
        {"largest number", "<!--INSERT INDEX HERE-->", "article2147483647.html", 2147483647, "Max",
         "<!--INSERT INDEX HERE-->" + Link("article2147483647.html", "2147483647", "Max")},
        {"smallest number", "<!--INSERT INDEX HERE-->", "article-2147483648.html", -2147483647 - 1, "Min",
         "<!--INSERT INDEX HERE-->" + Link("article-2147483648.html", "-2147483648", "Min")},
        {"file name with spaces and capitals", "<!--INSERT INDEX HERE-->", "My Spring NEWS.html", 7, "Spring news",
         "<!--INSERT INDEX HERE-->" + Link("my spring news.html", "7", "Spring news")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.shown.clear();
        ScratchFolder::Write(indexPath, c.before);
        form.articleNumber = c.number;
        form.articleTitle = TextBuffer(c.title);
        EXPECT_TRUE(Update(folder / c.savedName));
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(ScratchFolder::Read(indexPath), c.after);
        EXPECT_EQ(form.pageBuffer.Bytes(), c.after);
    }
}

TEST_F(IndexUpdaterTest, SecondRunFindsTheConvertedMarkerAndPutsTheNewLinkOnTop) {
    ScratchFolder::Write(indexPath, "<ul>INSERT INDEX HERE</ul><p>INSERT INDEX HERE</p>");
    form.articleNumber = 1;
    form.articleTitle = "One";
    ASSERT_TRUE(Update(folder / "article0001.html"));
    form.articleNumber = 2;
    form.articleTitle = "Two";
    ASSERT_TRUE(Update(folder / "article0002.html"));
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<ul><!--INSERT INDEX HERE-->" + Link("article0002.html", "2", "Two") +
                                                  Link("article0001.html", "1", "One") +
                                                  "</ul><p><!--INSERT INDEX HERE--></p>");
}

TEST_F(IndexUpdaterTest, FailuresLeaveTheIndexPageAsItWas) {
    enum class Entry { File, Missing, Folder };
    struct Case {
        const char* name;
        Entry entry;
        std::string content;
        std::string message;
    };
    const std::string readMessage = "Unable to read file: " + indexPath;
    const Case cases[] = {
        {"missing", Entry::Missing, "", "No index file exists:\n\n" + indexPath},
        {"a folder named like the index page", Entry::Folder, "", readMessage},
        {"a zero byte behind the marker", Entry::File, std::string("<!--INSERT INDEX HERE-->\0<p>old links</p>", 41),
         readMessage},
        {"a zero byte before the marker", Entry::File, std::string("\0<!--INSERT INDEX HERE-->", 25), readMessage},
        {"empty", Entry::File, "", kMissingMarkerMessage},
        {"lower case", Entry::File, "insert index here", kMissingMarkerMessage},
        {"mixed case", Entry::File, "<p>Insert Index Here</p>", kMissingMarkerMessage},
        {"comment in lower case", Entry::File, "<!--insert index here-->", kMissingMarkerMessage},
        {"two spaces", Entry::File, "INSERT  INDEX HERE", kMissingMarkerMessage},
        {"cut short", Entry::File, "<!--INSERT INDEX HER", kMissingMarkerMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(indexPath);
        if (c.entry == Entry::File) ScratchFolder::Write(indexPath, c.content);
        if (c.entry == Entry::Folder) std::filesystem::create_directory(indexPath);
        const std::vector<std::string> entriesBefore = folder.Entries();
        boxes.shown.clear();

        EXPECT_FALSE(Update(folder / "article0007.html"));

        ASSERT_EQ(boxes.shown.size(), 1U);
        EXPECT_EQ(boxes.shown[0].text, c.message);
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(boxes.shown[0].caption, "Quillora");
        EXPECT_EQ(folder.Entries(), entriesBefore);
        if (c.entry == Entry::File) {
            EXPECT_EQ(ScratchFolder::Read(indexPath), c.content);
        }
        if (c.entry == Entry::Folder) {
            EXPECT_TRUE(std::filesystem::is_directory(indexPath));
        }
    }
}

TEST_F(IndexUpdaterTest, IndexPageLiesBesideTheSavedPageWithTheTemplatesExtension) {
    std::filesystem::create_directories(folder / "T");
    std::filesystem::create_directories(folder / "Web");
    form.templatePath = TextBuffer(folder / "T/Template.HTML");
    form.articleNumber = 7;
    const std::string besideTemplate = folder / "T/index.html";
    const std::string otherExtension = folder / "Web/index.htm";
    ScratchFolder::Write(besideTemplate, "<!--INSERT INDEX HERE-->");
    ScratchFolder::Write(otherExtension, "<!--INSERT INDEX HERE-->");
    ScratchFolder::Write(folder / "Web/index.html", "<!--INSERT INDEX HERE-->");

    ASSERT_TRUE(Update(folder / "Web/Article0007.htm"));

    EXPECT_EQ(ScratchFolder::Read(folder / "Web/index.html"),
              "<!--INSERT INDEX HERE-->" + Link("article0007.htm", "7", "Spring news"));
    EXPECT_EQ(ScratchFolder::Read(besideTemplate), "<!--INSERT INDEX HERE-->");
    EXPECT_EQ(ScratchFolder::Read(otherExtension), "<!--INSERT INDEX HERE-->");
}

TEST_F(IndexUpdaterTest, IndexPathRules) {
    struct Case {
        const char* templatePath;
        const char* savedPage;
        const char* indexPath;
    };
    const Case cases[] = {
        {"/t/Template.HTML", "/Web Site/Article0007.htm", "/Web Site/index.html"},
        {"/t/News.PHP", "/web/a.html", "/web/index.php"},
        {"/t/template", "/web/article0001", "/web/index"},    // no extension: the bare stem
        {"/my.site/template", "/web/a.html", "/web/index"},    // a dot in a folder name is no extension
        {"/t/page.shtml", "article0001.shtml", "index.shtml"},  // saved without a folder: relative
        {"/t/page.html", "/article0001.html", "/index.html"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IndexPage::IndexPathFor(TextBuffer(testing::PlatformPath(c.savedPage)),
                                          TextBuffer(testing::PlatformPath(c.templatePath)))
                      .Bytes(),
                  testing::PlatformPath(c.indexPath))
            << c.templatePath;
    }
}

TEST_F(IndexUpdaterTest, FailedWriteKeepsTheFormerIndexPageWhole) {
    const std::string former = "<html><!--INSERT INDEX HERE-->" + Link("article0006.html", "6", "Six") + "</html>";
    for (Step step : {Step::ShortWrite, Step::PutInPlace, Step::Flush, Step::CreateBeside}) {
        SCOPED_TRACE(static_cast<int>(step));
        testing::FaultyFileSystem faulty;
        FileIo faultyIo(faulty, messages);
        IndexUpdater faultyUpdater(form, faultyIo, faulty, messages);
        ScratchFolder::Write(indexPath, former);
        const std::vector<std::string> entriesBefore = folder.Entries();
        boxes.shown.clear();
        faulty.FailAt(step);

        EXPECT_FALSE(faultyUpdater.UpdateIndexPage(TextBuffer(folder / "article0007.html")));

        EXPECT_EQ(faulty.Calls(step), 1);
        ASSERT_EQ(boxes.shown.size(), 1U);
        EXPECT_EQ(boxes.shown[0].text, "Failed to write file " + indexPath);
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(ScratchFolder::Read(indexPath), former);
        EXPECT_EQ(folder.Entries(), entriesBefore);  // no temporary file left behind
    }
}

#ifndef _WIN32
// Symbolic links, as a POSIX system has them.
TEST_F(IndexUpdaterTest, WritesThroughASymbolicLinkToTheIndexPage) {
    std::filesystem::create_directories(folder / "real");
    ScratchFolder::Write(folder / "real/index.html", "<!--INSERT INDEX HERE-->");
    std::filesystem::create_symlink(folder / "real/index.html", indexPath);

    ASSERT_TRUE(Update(folder / "article0007.html"));

    EXPECT_TRUE(std::filesystem::is_symlink(indexPath));
    EXPECT_EQ(ScratchFolder::Read(folder / "real/index.html"),
              "<!--INSERT INDEX HERE-->" + Link("article0007.html", "7", "Spring news"));
}

TEST(InsertIndexLink, NoMarkerGivesNothing) {
    EXPECT_FALSE(IndexPage::InsertIndexLink(TextBuffer(), "L").has_value());
    EXPECT_FALSE(IndexPage::InsertIndexLink("<!--INSERT INDEX HER-->", "L").has_value());
    // An unclosed comment still holds the plain words.
    EXPECT_EQ(IndexPage::InsertIndexLink("<!--INSERT INDEX HERE", "L")->Bytes(), "<!--<!--INSERT INDEX HERE-->L");
    EXPECT_EQ(IndexPage::InsertIndexLink("INSERT INDEX HERE", "L")->Bytes(), "<!--INSERT INDEX HERE-->L");
}
#endif

}  // namespace
}  // namespace quillora
