#include "create/ArticleCreator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeArticleForm.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::FakeFileDialogs;
using testing::kSep;
using testing::ScratchFolder;
using Step = testing::FaultyFileSystem::Step;

const char kSection[] = "Software\\Tessaline\\Quillora\\LU";
const char kTemplate[] =
    "<html><head><title>INSERT TITLE HERE</title></head><body>INSERT DATE HERE\r\nINSERT ARTICLE HERE</body></html>";
const char kHtmlFilter[] = "HTML Files (*.htm, *.html)|*.htm;*.html||";

std::string Link(const std::string& href, const std::string& number, const std::string& title) {
    return "\r\n\r\n<a href=\"" + href + "\">" + number + ". " + title + "</a><br><br>";
}

class ArticleCreatorTest : public ::testing::Test {
protected:
    ArticleCreatorTest() {
        std::filesystem::create_directories(site);
        ScratchFolder::Write(templatePath, kTemplate);
        ScratchFolder::Write(indexPath, "<body><!--INSERT INDEX HERE--></body>");
        form.templatePath = TextBuffer(templatePath);
        form.articleTitle = "First";
        form.articleText = "Hello\r\nhttp://example.com/ bye";
        form.articleNumber = 1;
        form.updateIndex = 1;
    }

    std::optional<std::string> TextSetting(const char* name) const {
        RegistryType type = RegistryType::None;
        std::string data;
        if (!registry.Get(kSection, name, type, data)) return std::nullopt;
        EXPECT_EQ(type, RegistryType::Sz);
        EXPECT_FALSE(data.empty());
        if (!data.empty()) data.pop_back();  // the terminating zero byte
        return data;
    }
    std::optional<std::int32_t> IntSetting(const char* name) const {
        RegistryType type = RegistryType::None;
        std::string data;
        if (!registry.Get(kSection, name, type, data)) return std::nullopt;
        EXPECT_EQ(type, RegistryType::Dword);
        EXPECT_EQ(data.size(), 4U);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
        }
        return static_cast<std::int32_t>(value);
    }
    std::vector<std::string> SiteEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(site)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder folder;
    const std::string templatePath = folder / "Template.html";
    const std::string site = folder / "site";
    const std::string indexPath = site + kSep + "index.html";
    testing::FaultyFileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo fileIo{files, messages};
    testing::MemoryRegistry registry;
    TextBuffer registryKey{"Tessaline"};
    TextBuffer profileName{"Quillora"};
    SettingsStore settings{registry, registryKey, profileName};
    FakeFileDialogs dialogs;
    testing::FixedClock clock{2005, 3, 29, 2};
    testing::FakeArticleForm form;
    ArticleCreator creator{form, fileIo, settings, dialogs, messages, clock, files};
};

TEST_F(ArticleCreatorTest, TheClockIsReadOnceAndADateItCannotGiveLeavesTheMarkerEmpty) {
    dialogs.Choose(site + kSep + "article0001.html");
    ASSERT_TRUE(creator.OnCreateClicked());
    EXPECT_EQ(clock.reads, 1);

    clock.convertible = false;
    form.articleTitle = "Undated";
    form.articleText = "Text";
    dialogs.Choose(site + kSep + "article0002.html");
    ASSERT_TRUE(creator.OnCreateClicked());
    EXPECT_EQ(ScratchFolder::Read(site + kSep + "article0002.html"),
              "<html><head><title>Undated</title></head><body>\r\nText</body></html>");
}

TEST_F(ArticleCreatorTest, TwoRunsInARowNumberThePagesAndListThemNewestFirst) {
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();

    ASSERT_EQ(dialogs.calls.size(), 1U);
    const FileDialogRequest& first = dialogs.calls[0].request;
    EXPECT_EQ(dialogs.calls[0].kind, FakeFileDialogs::Kind::Save);
    EXPECT_EQ(first.title, "Select where to save your new web page");
    EXPECT_EQ(first.filter, kHtmlFilter);
    EXPECT_EQ(first.initialFolder, "");
    EXPECT_EQ(first.initialFileName, "article0001.html");
    EXPECT_EQ(first.defaultExtension, ".html");
    EXPECT_TRUE(first.overwritePrompt);
    EXPECT_TRUE(first.hideReadOnly);
    EXPECT_FALSE(first.fileMustExist);
    EXPECT_EQ(ScratchFolder::Read(site + kSep + "article0001.html"),
              "<html><head><title>First</title></head><body>Tuesday, March 29, 2005\r\nHello<br>\r\n"
              "<a href=\"http://example.com/\" target=\"_blank\">http://example.com/</a> bye</body></html>");
    ASSERT_EQ(boxes.shown.size(), 1U);
    EXPECT_EQ(boxes.shown[0].text, "File \"article0001.html\" has been created");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(boxes.shown[0].caption, "Quillora");
    EXPECT_EQ(IntSetting("Counter"), 1);
    EXPECT_EQ(form.articleNumber, 2);
    EXPECT_EQ(form.shows, 1);
    EXPECT_EQ(form.shownNumber, 2);
    EXPECT_TRUE(form.shownTitle.IsEmpty());
    EXPECT_TRUE(form.shownText.IsEmpty());
    EXPECT_TRUE(form.pageBuffer.IsEmpty());

    form.articleTitle = "Second";
    form.articleText = "More";
    dialogs.Choose(site + kSep + "article0002.html");
    creator.OnCreateClicked();

    ASSERT_EQ(dialogs.calls.size(), 2U);
    EXPECT_EQ(dialogs.calls[1].request.initialFolder, site + kSep);
    EXPECT_EQ(dialogs.calls[1].request.initialFileName, "article0002.html");
    EXPECT_EQ(ScratchFolder::Read(site + kSep + "article0002.html"),
              "<html><head><title>Second</title></head><body>Tuesday, March 29, 2005\r\nMore</body></html>");
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE-->" +
                                                  Link("article0002.html", "2", "Second") +
                                                  Link("article0001.html", "1", "First") + "</body>");
    EXPECT_EQ(boxes.Texts().back(), "File \"article0002.html\" has been created");
    EXPECT_EQ(IntSetting("Counter"), 2);
    EXPECT_EQ(form.articleNumber, 3);
    EXPECT_EQ(form.shownNumber, 3);
    EXPECT_EQ(TextSetting("Template"), templatePath);
    EXPECT_EQ(IntSetting("Index"), 1);
    EXPECT_EQ(TextSetting("SaveDir"), site + kSep);
    EXPECT_TRUE(form.pageBuffer.IsEmpty());
    EXPECT_EQ(SiteEntries(), (std::vector<std::string>{"article0001.html", "article0002.html", "index.html"}));
}

TEST_F(ArticleCreatorTest, TheTemplatesExtensionNamesFilterPageAndIndex) {
    struct Case {
        const char* templateName;
        const char* filter;
        const char* extension;
    };
    const Case cases[] = {
        {"News.PHP", "PHP Files (*.php)|*.php||", ".php"},
        {"page.shtml", ".shtml Files (*.shtml)|*.shtml||", ".shtml"},
        {"Page.htm", kHtmlFilter, ".htm"},
        {"Page.HTML", kHtmlFilter, ".html"},
        {"Archive.tar.ASP", ".asp Files (*.asp)|*.asp||", ".asp"},
        // No dot in the file name: every file is offered, and neither page nor index gets a suffix.
        {"template", " Files (*)|*||", ""},
        {"my.site/template", " Files (*)|*||", ""},
    };
    std::filesystem::create_directories(folder / "my.site");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templateName);
        const std::string templateFile = folder / c.templateName;
        const std::string page = site + kSep + "article0001" + c.extension;
        const std::string index = site + kSep + "index" + c.extension;
        ScratchFolder::Write(templateFile, kTemplate);
        ScratchFolder::Write(index, "<!--INSERT INDEX HERE-->");
        std::filesystem::remove(page);
        form.templatePath = TextBuffer(templateFile);
        form.articleTitle = "First";
        form.articleText = "Text";
        form.articleNumber = 1;
        dialogs.calls.clear();
        boxes.shown.clear();
        dialogs.Choose(page);

        creator.OnCreateClicked();

        ASSERT_EQ(dialogs.calls.size(), 1U);
        EXPECT_EQ(dialogs.calls[0].request.filter, c.filter);
        EXPECT_EQ(dialogs.calls[0].request.initialFileName, std::string("article0001") + c.extension);
        EXPECT_EQ(dialogs.calls[0].request.defaultExtension, c.extension);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File \"article0001" + std::string(c.extension) +
                                                          "\" has been created"});
        EXPECT_TRUE(std::filesystem::is_regular_file(page));
        EXPECT_EQ(ScratchFolder::Read(index),
                  "<!--INSERT INDEX HERE-->" + Link(std::string("article0001") + c.extension, "1", "First"));
        EXPECT_EQ(form.articleNumber, 2);
    }
}

TEST_F(ArticleCreatorTest, ProposedNameAndNextNumber) {
    // One after the other: Counter takes each number that lies ahead of it, never one behind.
    struct Case {
        std::int32_t number;
        const char* proposed;
        std::int32_t next;
        std::int32_t counter;
    };
    const Case cases[] = {
        {0, "article0000.html", 1, 0},
        {42, "article0042.html", 43, 42},
        {12345, "article12345.html", 12346, 12345},
        {-1, "article-001.html", 0, 12345},
        {2147483647, "article2147483647.html", -2147483647 - 1, 2147483647},
        {-2147483647 - 1, "article-2147483648.html", -2147483647, -2147483647 - 1},
    };
    form.updateIndex = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        form.articleNumber = c.number;
        form.articleTitle = "T";
        form.articleText = "X";
        dialogs.calls.clear();
        dialogs.Choose(site + kSep + c.proposed);

        creator.OnCreateClicked();

        ASSERT_EQ(dialogs.calls.size(), 1U);
        EXPECT_EQ(dialogs.calls[0].request.initialFileName, c.proposed);
        EXPECT_TRUE(std::filesystem::is_regular_file(site + kSep + c.proposed));
        EXPECT_EQ(IntSetting("Counter"), c.counter);
        EXPECT_EQ(form.articleNumber, c.next);
        EXPECT_EQ(form.shownNumber, c.next);
    }
}

TEST_F(ArticleCreatorTest, CancelledSaveDialogShowsNothingAndKeepsTheFields) {
    dialogs.Cancel();
    creator.OnCreateClicked();

    EXPECT_EQ(dialogs.calls.size(), 1U);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(form.articleTitle.Bytes(), "First");
    EXPECT_EQ(form.articleText.Bytes(), "Hello\r\nhttp://example.com/ bye");
    EXPECT_EQ(form.articleNumber, 1);
    EXPECT_EQ(form.shows, 0);
    EXPECT_TRUE(form.pageBuffer.IsEmpty());
    EXPECT_EQ(TextSetting("Template"), templatePath);
    EXPECT_EQ(IntSetting("Index"), 1);
    EXPECT_EQ(TextSetting("SaveDir"), std::nullopt);
    EXPECT_EQ(IntSetting("Counter"), std::nullopt);
    EXPECT_EQ(SiteEntries(), std::vector<std::string>{"index.html"});
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE--></body>");
}

TEST_F(ArticleCreatorTest, InputChecksStopBeforeAnythingIsStored) {
    struct Case {
        const char* name;
        bool readable;
        const char* templateFile;
        const char* title;
        const char* text;
        std::vector<std::string> messages;
        std::size_t dialogs;
    };
    const Case cases[] = {
        {"fields cannot be read", false, "", "", "", {}, 0},
        {"no template, before the title and the text", true, "", "", "", {"Please select a template file first"}, 0},
        {"empty title, before the text", true, "x.html", "", "", {"No article title entered"}, 0},
        {"empty text", true, "x.html", "Title", "", {"No article text entered"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::MemoryRegistry freshRegistry;
        SettingsStore freshSettings(freshRegistry, registryKey, profileName);
        testing::FaultyFileSystem freshFiles;
        FileIo freshIo(freshFiles, messages);
        testing::FakeArticleForm freshForm;
        ArticleCreator freshCreator(freshForm, freshIo, freshSettings, dialogs, messages, clock, freshFiles);
        freshForm.readable = c.readable;
        freshForm.templatePath = c.templateFile;
        freshForm.articleTitle = c.title;
        freshForm.articleText = c.text;
        freshForm.articleNumber = 5;
        boxes.shown.clear();
        dialogs.calls.clear();

        freshCreator.OnCreateClicked();

        EXPECT_EQ(freshForm.reads, 1);
        EXPECT_EQ(boxes.Texts(), c.messages);
        for (const auto& box : boxes.shown) EXPECT_EQ(box.icon, MessageIcon::Error);
        EXPECT_EQ(dialogs.calls.size(), c.dialogs);
        EXPECT_EQ(freshFiles.Calls(Step::OpenForReading), 0);
        for (const char* name : {"Template", "Index", "SaveDir", "Counter"}) {
            RegistryType type = RegistryType::None;
            std::string data;
            EXPECT_FALSE(freshRegistry.Get(kSection, name, type, data)) << name;
        }
        EXPECT_EQ(freshForm.articleNumber, 5);
        EXPECT_EQ(freshForm.shows, 0);
    }
}

TEST_F(ArticleCreatorTest, TitleAndTextOfSpacesPassTheChecks) {
    form.articleTitle = " ";
    form.articleText = " ";
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File \"article0001.html\" has been created"});
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE-->" + Link("article0001.html", "1", " ") +
                                                  "</body>");
}

TEST_F(ArticleCreatorTest, FailedRunsReportOnceAndKeepNumberTitleAndText) {
    struct Case {
        const char* name;
        std::function<void(testing::FaultyFileSystem&)> arrange;
        std::function<std::string()> message;
        bool dialogShown;
        bool pageWritten;
    };
    const std::string page = site + kSep + "article0001.html";
    const Case cases[] = {
        {"template unreadable", [&](auto&) { std::filesystem::remove(templatePath); },
         [&] { return "Unable to read file: " + templatePath; }, false, false},
        {"template read fails midway", [](auto& faulty) { faulty.FailAt(Step::Read); },
         [&] { return "Unable to read file: " + templatePath; }, false, false},
        {"template without the article marker",
         [&](auto&) { ScratchFolder::Write(templatePath, "<html>insert article here</html>"); },
         [] {
             return std::string(
                 "Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly as shown "
                 "above (in capitol letters)");
         },
         false, false},
        {"page write finds the disk full", [](auto& faulty) { faulty.FailAt(Step::ShortWrite); },
         [&] { return "Failed to write file " + page; }, true, false},
        {"putting the page in place fails", [](auto& faulty) { faulty.FailAt(Step::PutInPlace); }, [&] { return "Failed to write file " + page; },
         true, false},
        {"index page missing", [&](auto&) { std::filesystem::remove(indexPath); },
         [&] { return "No index file exists:\n\n" + indexPath; }, true, true},
        {"index page without a marker", [&](auto&) { ScratchFolder::Write(indexPath, "<body></body>"); },
         [] {
             return std::string(
                 "Index file does not contain the text:\n\nINSERT INDEX HERE\n\nThis must be exactly as shown above "
                 "(in capitol letters)");
         },
         true, true},
        {"index write fails", [](auto& faulty) { faulty.FailAt(Step::PutInPlace, 2); },
         [&] { return "Failed to write file " + indexPath; }, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder::Write(templatePath, kTemplate);
        ScratchFolder::Write(indexPath, "<body><!--INSERT INDEX HERE--></body>");
        std::filesystem::remove(page);
        registry = testing::MemoryRegistry();
        boxes.shown.clear();
        dialogs.calls.clear();
        dialogs.answers.clear();
        dialogs.Choose(page);
        testing::FaultyFileSystem faulty;
        FileIo faultyIo(faulty, messages);
        ArticleCreator faultyCreator(form, faultyIo, settings, dialogs, messages, clock, faulty);
        c.arrange(faulty);
        const std::string indexBefore = std::filesystem::exists(indexPath) ? ScratchFolder::Read(indexPath) : "";

        faultyCreator.OnCreateClicked();

        ASSERT_EQ(boxes.shown.size(), 1U);
        EXPECT_EQ(boxes.shown[0].text, c.message());
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(dialogs.calls.size(), c.dialogShown ? 1U : 0U);
        EXPECT_EQ(std::filesystem::exists(page), c.pageWritten);
        if (std::filesystem::exists(indexPath)) {
            EXPECT_EQ(ScratchFolder::Read(indexPath), indexBefore);
        }
        EXPECT_EQ(TextSetting("Template"), templatePath);
        EXPECT_EQ(IntSetting("Index"), 1);
        EXPECT_EQ(TextSetting("SaveDir"), c.dialogShown ? std::optional<std::string>(site + kSep) : std::nullopt);
        EXPECT_EQ(IntSetting("Counter"), std::nullopt);
        EXPECT_EQ(form.articleNumber, 1);
        EXPECT_EQ(form.articleTitle.Bytes(), "First");
        EXPECT_EQ(form.articleText.Bytes(), "Hello\r\nhttp://example.com/ bye");
        EXPECT_EQ(form.shows, 0);
        EXPECT_TRUE(form.pageBuffer.IsEmpty());
        // Nothing half written is left beside the pages.
        std::vector<std::string> expected{"index.html"};
        if (c.pageWritten) expected.insert(expected.begin(), "article0001.html");
        if (!std::filesystem::exists(indexPath)) expected.pop_back();
        EXPECT_EQ(SiteEntries(), expected);
    }
}

TEST_F(ArticleCreatorTest, WithTheIndexBoxClearedTheIndexPageIsNotTouched) {
    form.updateIndex = 0;
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();

    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File \"article0001.html\" has been created"});
    EXPECT_EQ(files.Calls(Step::OpenForReading), 1);  // the template only
    EXPECT_EQ(files.Calls(Step::Exists), 1);  // whether the dialog agreed to replace a page
    EXPECT_EQ(files.Calls(Step::PutInPlace), 1);  // the page only
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE--></body>");
    EXPECT_EQ(IntSetting("Index"), 0);
    EXPECT_EQ(IntSetting("Counter"), 1);
}

TEST_F(ArticleCreatorTest, TheTemplateIsReadAnewAtEveryClick) {
    form.updateIndex = 0;
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();
    ScratchFolder::Write(templatePath, "<p>INSERT TITLE HERE</p>INSERT ARTICLE HERE<hr>");
    form.articleTitle = "Second";
    form.articleText = "Changed";
    dialogs.Choose(site + kSep + "article0002.html");
    creator.OnCreateClicked();

    EXPECT_EQ(ScratchFolder::Read(site + kSep + "article0002.html"), "<p>Second</p>Changed<hr>");
    EXPECT_EQ(files.Calls(Step::OpenForReading), 2);
}

TEST_F(ArticleCreatorTest, TemplateEndsAtItsFirstZeroByte) {
    ScratchFolder::Write(templatePath, std::string("<p>INSERT ARTICLE HERE</p>\0INSERT TITLE HERE tail", 49));
    form.updateIndex = 0;
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();
    EXPECT_EQ(ScratchFolder::Read(site + kSep + "article0001.html"), "<p>Hello<br>\r\n<a href=\"http://example.com/\" "
                                                               "target=\"_blank\">http://example.com/</a> bye</p>");
}

TEST_F(ArticleCreatorTest, NameChosenInCapitalsIsReportedInLowerCase) {
    const std::string chosen = site + kSep + "Spring NEWS.HTML";
    dialogs.Choose(chosen);
    creator.OnCreateClicked();

    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File \"spring news.html\" has been created"});
    EXPECT_TRUE(std::filesystem::is_regular_file(chosen));
    const std::vector<std::string> names = SiteEntries();  // as the folder holds them, whatever its case rule
    EXPECT_NE(std::find(names.begin(), names.end(), "Spring NEWS.HTML"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "spring news.html"), names.end());
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE-->" +
                                                  Link("spring news.html", "1", "First") + "</body>");
    EXPECT_EQ(form.articleNumber, 2);
    EXPECT_EQ(IntSetting("Counter"), 1);
}

TEST_F(ArticleCreatorTest, HundredMebibyteTemplate) {
    constexpr std::size_t kMiB = 1 << 20;
    const std::string line = "<div>Lorem ipsum dolor sit amet, http://t.example/ INSERT TITLE HERE</div>\r\n";
    std::string big;
    big.reserve(100 * kMiB);
    while (big.size() < 50 * kMiB) big += line;
    const std::size_t markerAt = big.size();
    big += "INSERT ARTICLE HERE";
    while (big.size() < 100 * kMiB) big += line;
    const std::size_t lines = (big.size() - 19) / line.size();
    ScratchFolder::Write(templatePath, big);
    std::string().swap(big);

    form.articleTitle = "T";
    form.articleText = "Body";
    dialogs.Choose(site + kSep + "article0001.html");
    creator.OnCreateClicked();

    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"File \"article0001.html\" has been created"});
    const std::string written = ScratchFolder::Read(site + kSep + "article0001.html");
    const std::size_t lineOut = line.size() - std::string("INSERT TITLE HERE").size() + 1;
    EXPECT_EQ(written.size(), lines * lineOut + 4);
    EXPECT_EQ(written.substr(0, lineOut), "<div>Lorem ipsum dolor sit amet, http://t.example/ T</div>\r\n");
    const std::size_t bodyAt = markerAt / line.size() * lineOut;
    EXPECT_EQ(written.substr(bodyAt - 8, 16), "</div>\r\nBody<div");
    EXPECT_EQ(ScratchFolder::Read(indexPath), "<body><!--INSERT INDEX HERE-->" + Link("article0001.html", "1", "T") +
                                                  "</body>");
    EXPECT_TRUE(form.pageBuffer.IsEmpty());
}

TEST(ArticleCreatorRules, NumberWrapsAfterTheLargest) {
    EXPECT_EQ(ArticleCreator::NextArticleNumber(2147483647), -2147483647 - 1);
    EXPECT_EQ(ArticleCreator::NextArticleNumber(-1), 0);
    EXPECT_EQ(ArticleCreator::NextArticleNumber(0), 1);
}

TEST(ArticleCreatorRules, CounterTakesOnlyANumberAheadOfIt) {
    struct Case {
        std::int32_t stored;
        std::int32_t used;
        std::int32_t counter;
    };
    const Case cases[] = {
        {41, 42, 42},                                   // the next number
        {41, 100, 100},                                 // a number typed further on
        {41, 41, 41},                                   // the same again
        {41, 5, 41},                                    // a number typed back: Counter stays
        {0, -1, 0},                                     // behind, across zero
        {-5, 3, 3},                                     // ahead, across zero
        {2147483647, -2147483647 - 1, -2147483647 - 1},  // the wrap counts as the next number
        {0, 2147483647, 2147483647},                    // just under half the circle ahead
        {-1, 2147483647, -1},                           // exactly half of it: not ahead
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArticleCreator::CounterAfter(c.stored, c.used), c.counter) << c.stored << " then " << c.used;
    }
}

}  // namespace
}  // namespace quillora
