#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fakes/ScratchFolder.h"
#include "UiFixture.h"

namespace quillora {
namespace {

using testing::FakeDialogHost;
using testing::FakeFileDialogs;
using Step = testing::FaultyFileSystem::Step;

class MainWindowTest : public testing::UiFixture {
protected:
    MainWindowTest() { AcceptedEarlier(); }

    std::string Shown(int id) { return host.controls[id].text; }
};

// --- What the window shows at start ---

struct StartCase {
    const char* what;
    std::optional<std::int32_t> counter;
    std::optional<std::string> templatePath;
    std::optional<std::int32_t> index;
    std::string number;
    std::string templateName;
    int check;
};

TEST_F(MainWindowTest, StartShowsTheStoredSettingsByTheirRules) {
    const std::string longName(100 * 1024, 'K');
    const std::vector<StartCase> cases = {
        {"no settings", {}, {}, {}, "1", "", 1},
        {"counter 41", 41, {}, {}, "42", "", 1},
        {"negative counter", -5, {}, {}, "-4", "", 1},
        {"counter at the 32-bit limit wraps", 2147483647, {}, {}, "-2147483648", "", 1},
        {"template name shown lower case", {}, testing::PlatformPath("/home/ann/My Site/My Template.HTML"), {}, "1", "my template.html", 1},
        {"template without a separator", {}, "My Template.HTML", {}, "1", "my template.html", 1},
        {"template in UTF-8", {}, testing::PlatformPath("/srv/caf\xC3\xA9/M\xC3\x89NU.HTML"), {}, "1", "m\xC3\xA9nu.html", 1},
        {"template with bytes that are no UTF-8", {}, testing::PlatformPath("/d/\xFF\xFE/R\xE9SUM\xC9.Htm"), {}, "1", "r\xE9sum\xC9.htm", 1},
        {"100 KiB template path", {}, longName, {}, "1", std::string(longName.size(), 'k'), 1},
        {"index 0", {}, {}, 0, "1", "", 0},
        {"index 1", {}, {}, 1, "1", "", 1},
        {"index 2 is the indeterminate state", {}, {}, 2, "1", "", 2},
        {"index 5", {}, {}, 5, "1", "", 0},
        {"index -1", {}, {}, -1, "1", "", 0},
    };
    for (const StartCase& test : cases) {
        SCOPED_TRACE(test.what);
        registry = testing::MemoryRegistry();
        AcceptedEarlier();
        if (test.counter) PutInt("Counter", *test.counter);
        if (test.templatePath) PutText("Template", *test.templatePath);
        if (test.index) PutInt("Index", *test.index);
        Run([&](MainWindow& window, FakeDialogHost&) {
            EXPECT_EQ(window.templatePath.Bytes(), test.templatePath.value_or(""));
            EXPECT_EQ(window.updateIndex, test.check);
        });
        EXPECT_EQ(Shown(ControlId::kArticleNumber), test.number);
        EXPECT_EQ(Shown(ControlId::kTemplateName), test.templateName);
        EXPECT_EQ(host.controls[ControlId::kUpdateIndex].check, test.check);
        EXPECT_EQ(Shown(ControlId::kArticleTitle), "");
        EXPECT_EQ(Shown(ControlId::kArticleText), "");
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST_F(MainWindowTest, StartReadsOnlyTheSettingsAndWritesNone) {
    PutInt("Counter", 9);
    Run();
    EXPECT_FALSE(Stored("Template"));
    EXPECT_FALSE(Stored("Index"));
    EXPECT_FALSE(Stored("InitDir"));
    EXPECT_EQ(StoredData("Counter"), testing::Dword(9));
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(MainWindowTest, InitialisationShowsTheConstructedFieldsFirstThenTheSettings) {
    PutInt("Counter", 6);
    Run();
    // The first exchange shows the members as constructed, before branding, icons and faces.
    std::vector<std::string> expectedStart = {"check 1052", "text 1042", "caption", "icons",
                                              "face 1006", "face 1029", "face 1028", "face 1030",
                                              "check 1052", "text 1042"};
    ASSERT_GE(host.log.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(host.log.begin(), host.log.begin() + static_cast<long>(expectedStart.size())), expectedStart);
}

// --- The article number ---

struct NumberCase {
    std::string text;
    std::optional<std::int32_t> value;  // none: rejected
};

TEST_F(MainWindowTest, ArticleNumberIsReadByTheIntegerRule) {
    const std::vector<NumberCase> cases = {
        {"", {}},
        {"   ", {}},
        {"\t \t", {}},
        {"-", {}},
        {"+", {}},
        {"-0", {}},
        {"+0", {}},
        {"12a", {}},
        {"a12", {}},
        {"1 2", {}},
        {"0x10", {}},
        {"\xD9\xA1", {}},  // a digit of another script
        {"42\r\n", {}},
        {"0", 0},
        {"000", 0},
        {" 42\t", 42},
        {"\t 42 \t ", 42},
        {"007", 7},
        {"+17", 17},
        {"-17", -17},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"99999999999", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"-99999999999", -2147483647 - 1},
        {std::string(40, '9'), 2147483647},
        {"5" + std::string(30, ' ') + "x", 5},            // the 32nd character is not read
        {"5" + std::string(29, ' ') + "x", {}},           // the 31st is
        {std::string(31, '0') + "7", 0},                   // 32 digits: only the zeros are read
        {std::string(31, ' ') + "7", {}},                  // blanks only, within the first 31
    };
    for (const NumberCase& test : cases) {
        SCOPED_TRACE("\"" + test.text + "\"");
        boxes.shown.clear();
        bool endedByOk = false;
        std::int32_t numberAfter = 0;
        Run([&](MainWindow& window, FakeDialogHost& open) {
            open.Type(ControlId::kArticleNumber, test.text);
            open.focus = ControlId::kArticleTitle;
            window.OnOkCommand();
            endedByOk = open.ended;
            numberAfter = window.articleNumber;
        });
        if (test.value) {
            EXPECT_TRUE(endedByOk);
            EXPECT_EQ(host.result, DialogResult::Ok);
            EXPECT_EQ(numberAfter, *test.value);
            EXPECT_TRUE(boxes.shown.empty());
        } else {
            EXPECT_FALSE(endedByOk);
            EXPECT_EQ(numberAfter, 1) << "keeps its former value";
            ASSERT_EQ(boxes.shown.size(), 1u);
            EXPECT_EQ(boxes.shown[0].text, "Please enter an integer.");
            EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Warning) << "no icon asked for, so the exclamation";
            EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
            EXPECT_EQ(boxes.shown[0].caption, "Quillora");
        }
    }
}

TEST_F(MainWindowTest, RejectedNumberPutsTheFocusOnItsWholeTextAfterStoringTheOtherFields) {
    Run([&](MainWindow& window, FakeDialogHost& open) {
        open.Type(ControlId::kArticleNumber, "12a");
        open.Type(ControlId::kArticleTitle, "Spring issue");
        open.Type(ControlId::kArticleText, "Line one\r\nLine two");
        open.Tick(ControlId::kUpdateIndex, 0);
        open.focus = ControlId::kArticleText;
        EXPECT_FALSE(window.ReadFields());
        EXPECT_EQ(open.focus, ControlId::kArticleNumber);
        EXPECT_TRUE(open.Selected(ControlId::kArticleNumber));
        EXPECT_EQ(window.articleTitle.Bytes(), "Spring issue");
        EXPECT_EQ(window.articleText.Bytes(), "Line one\r\nLine two");
        EXPECT_EQ(window.updateIndex, 0);
        EXPECT_EQ(window.articleNumber, 1);
        EXPECT_FALSE(open.ended) << "OK with an invalid number keeps the window open";
    });
}

TEST_F(MainWindowTest, ShowFieldsLeavesAFieldThatAlreadyShowsItsTextAlone) {
    Run([&](MainWindow& window, FakeDialogHost& open) {
        open.Type(ControlId::kArticleTitle, "Title");
        open.Type(ControlId::kArticleText, "Text");
        ASSERT_TRUE(window.ReadFields());
        int titleWrites = open.controls[ControlId::kArticleTitle].textWrites;
        int textWrites = open.controls[ControlId::kArticleText].textWrites;
        window.ShowFields();
        EXPECT_EQ(open.controls[ControlId::kArticleTitle].textWrites, titleWrites);
        EXPECT_EQ(open.controls[ControlId::kArticleText].textWrites, textWrites);

        window.articleTitle = TextBuffer("Other");
        window.articleNumber = -12;
        window.ShowFields();
        EXPECT_EQ(open.controls[ControlId::kArticleTitle].text, "Other");
        EXPECT_EQ(open.controls[ControlId::kArticleNumber].text, "-12");
    });
}

// --- Select ---

TEST_F(MainWindowTest, SelectCancelledChangesNothing) {
    const std::string oldTemplate = testing::PlatformPath("/srv/old/Old.html");
    const std::string initDir = testing::PlatformPath("/srv/templates");
    PutText("Template", oldTemplate);
    PutText("InitDir", initDir);
    dialogs.Cancel();
    Run([&](MainWindow& window, FakeDialogHost& open) {
        window.OnSelectClicked();
        EXPECT_EQ(window.templatePath.Bytes(), oldTemplate);
        EXPECT_EQ(open.controls[ControlId::kTemplateName].text, "old.html");
    });
    ASSERT_EQ(dialogs.calls.size(), 1u);
    const FakeFileDialogs::Call& call = dialogs.calls[0];
    EXPECT_EQ(call.kind, FakeFileDialogs::Kind::Open);
    EXPECT_EQ(call.request.title, "Select your template file");
    EXPECT_EQ(call.request.filter, "HTML Files (*.htm, *.html)|*.htm;*.html|Php Files (*.php)|*.php|All Files (*.*)|*.*||");
    EXPECT_TRUE(call.request.fileMustExist);
    EXPECT_TRUE(call.request.hideReadOnly);
    EXPECT_FALSE(call.request.overwritePrompt);
    EXPECT_EQ(call.request.initialFolder, initDir);
    EXPECT_EQ(call.request.initialFileName, "");
    EXPECT_EQ(call.request.defaultExtension, "");
    EXPECT_EQ(StoredData("InitDir"), initDir + '\0');
    EXPECT_EQ(StoredData("Template"), oldTemplate + '\0');
}

struct SelectCase {
    std::string chosen;
    std::string shownName;
    std::string initDir;
};

TEST_F(MainWindowTest, SelectChosenHoldsThePathShowsTheNameAndStoresOnlyTheFolder) {
    const std::vector<SelectCase> cases = {
        {testing::PlatformPath("/home/ann/New Site/Front Page.HTML"), "front page.html", testing::PlatformPath("/home/ann/New Site")},
        {testing::PlatformPath("/Front.php"), "front.php", ""},
        {testing::PlatformPath("/home/ann/dir.d/noext"), "noext", testing::PlatformPath("/home/ann/dir.d")},
    };
    for (const SelectCase& test : cases) {
        SCOPED_TRACE(test.chosen);
        registry = testing::MemoryRegistry();
        AcceptedEarlier();
        dialogs.Choose(test.chosen);
        Run([&](MainWindow& window, FakeDialogHost& open) {
            open.Type(ControlId::kArticleTitle, "Kept title");
            window.OnSelectClicked();
            EXPECT_EQ(window.templatePath.Bytes(), test.chosen);
            EXPECT_EQ(window.TemplateName().Bytes(), test.shownName);
            EXPECT_EQ(open.controls[ControlId::kTemplateName].text, test.shownName);
            EXPECT_EQ(open.controls[ControlId::kArticleTitle].text, "Kept title");
        });
        EXPECT_EQ(StoredData("InitDir"), test.initDir + '\0');
        EXPECT_FALSE(Stored("Template")) << "only Create stores the template";
    }
}

TEST_F(MainWindowTest, SelectWithAnInvalidNumberOpensNoDialog) {
    Run([&](MainWindow& window, FakeDialogHost& open) {
        open.Type(ControlId::kArticleNumber, "-");
        window.OnSelectClicked();
    });
    EXPECT_TRUE(dialogs.calls.empty());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Please enter an integer.");
}

// --- Paste ---

TEST_F(MainWindowTest, PasteReplacesTheWholeArticleTextWithTheClipboardText) {
    const std::string several(6 * 1024 * 1024, 'p');
    for (const std::string& clipboard : {std::string("New\r\ntext"), several}) {
        host.clipboard = clipboard;
        Run([&](MainWindow& window, FakeDialogHost& open) {
            open.Type(ControlId::kArticleText, "Old text that goes");
            open.focus = ControlId::kArticleTitle;
            window.OnPasteClicked();
            EXPECT_EQ(open.controls[ControlId::kArticleText].text, clipboard);
            EXPECT_EQ(open.focus, ControlId::kArticleTitle) << "the focus stays";
            EXPECT_EQ(open.scrolledTo, std::vector<int>{ControlId::kArticleText});
            EXPECT_TRUE(window.articleText.IsEmpty()) << "the member follows at the next ReadFields";
            ASSERT_TRUE(window.ReadFields());
            EXPECT_EQ(window.articleText.Length(), static_cast<std::int32_t>(clipboard.size()));
        });
        host.scrolledTo.clear();
    }
}

TEST_F(MainWindowTest, PasteWithoutClipboardTextSelectsTheUnchangedText) {
    Run([&](MainWindow& window, FakeDialogHost& open) {
        open.Type(ControlId::kArticleText, "Stays as it is");
        window.OnPasteClicked();
        EXPECT_EQ(open.controls[ControlId::kArticleText].text, "Stays as it is");
        EXPECT_TRUE(open.Selected(ControlId::kArticleText));
    });
}

// --- Closing ---

// The help files come from a click on Help, into the fixture's temporary folder.
class ClosingTest : public MainWindowTest {
protected:
    static void ShowHelp(MainWindow& window) {
        window.OnHelpClicked();
        ASSERT_FALSE(window.HelpPagePath().IsEmpty());
    }
    bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    const std::string page = temporary / "temp_vodadir_help.html";
    const std::string picture = temporary / "temp_vodadir_box.gif";
};

TEST_F(ClosingTest, CancelDeletesTheHelpFilesAndStoresNothing) {
    Run([&](MainWindow& window, FakeDialogHost& open) {
        ShowHelp(window);
        ASSERT_TRUE(Exists(page) && Exists(picture));
        open.Type(ControlId::kArticleTitle, "Dropped");
        open.Type(ControlId::kArticleNumber, "not read");
        window.OnCloseRequested();
    });
    EXPECT_EQ(host.result, DialogResult::Cancel);
    EXPECT_FALSE(Exists(page));
    EXPECT_FALSE(Exists(picture));
    EXPECT_TRUE(boxes.shown.empty()) << "nothing is read from the controls";
    EXPECT_FALSE(Stored("Template"));
    EXPECT_FALSE(Stored("Counter"));
}

TEST_F(ClosingTest, CancelClosesWhenAHelpFileCannotBeDeleted) {
    files.FailAt(Step::Remove);
    Run([&](MainWindow& window, FakeDialogHost&) {
        ShowHelp(window);
        ASSERT_TRUE(Exists(page) && Exists(picture));
        window.OnCloseRequested();
    });
    EXPECT_EQ(host.result, DialogResult::Cancel);
    EXPECT_TRUE(Exists(page));
    EXPECT_FALSE(Exists(picture)) << "the second is still deleted";
}

TEST_F(ClosingTest, CancelWithoutHelpFilesDeletesNothing) {
    Run([&](MainWindow& window, FakeDialogHost&) { window.OnCloseRequested(); });
    EXPECT_EQ(host.result, DialogResult::Cancel);
    EXPECT_EQ(files.Calls(Step::Remove), 0);
}

TEST_F(ClosingTest, OkReadsTheFieldsButDeletesAndStoresNothing) {
    std::string titleRead;
    Run([&](MainWindow& window, FakeDialogHost& open) {
        ShowHelp(window);
        ASSERT_TRUE(Exists(page) && Exists(picture));
        open.Type(ControlId::kArticleTitle, "Typed and lost");
        open.Type(ControlId::kArticleNumber, "77");
        window.OnOkCommand();
        titleRead = std::string(window.articleTitle.Bytes());
    });
    EXPECT_EQ(host.result, DialogResult::Ok);
    EXPECT_EQ(titleRead, "Typed and lost");
    EXPECT_TRUE(Exists(page));
    EXPECT_TRUE(Exists(picture));
    EXPECT_EQ(files.Calls(Step::Remove), 0);
    EXPECT_FALSE(Stored("Counter"));
    EXPECT_FALSE(Stored("Template"));
    EXPECT_FALSE(Stored("Index"));
}

TEST_F(ClosingTest, CommandsFromTheHostReachTheirHandlers) {
    host.clipboard = "pasted";
    dialogs.Cancel();
    Run([&](MainWindow&, FakeDialogHost& open) {
        open.Command(ControlId::kPasteButton);
        EXPECT_EQ(open.controls[ControlId::kArticleText].text, "pasted");
        open.Command(ControlId::kSelectButton);
        EXPECT_EQ(dialogs.calls.size(), 1u);
        open.Command(kIdOk);
    });
    EXPECT_EQ(host.result, DialogResult::Ok);
}

}  // namespace
}  // namespace quillora
