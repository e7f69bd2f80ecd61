// GetOpenFileNameA and GetSaveFileNameA through the port: the filter list and flags of each
// request, and real dialogs answered from a second thread by typing a name and pressing OK.
#include "adapters/win32/Win32FileDialogs.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "DialogSession.h"
#include "WindowDriver.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using namespace testing;
using namespace std::string_literals;

constexpr int kFileNameBox = 0x47C;  // cmb13: the file name
constexpr int kFileTypeBox = 0x470;  // cmb1: the file types
constexpr int kReadOnlyBox = 0x410;  // chx1: "open as read-only"

const char kTemplateFilter[] = "HTML Files (*.htm, *.html)|*.htm;*.html|Php Files (*.php)|*.php|All Files (*.*)|*.*||";

TEST(Win32FileDialogsRequest, FiltersBecomeTheListOfNulEndedStrings) {
    EXPECT_EQ(Win32FileDialogs::FilterList(kTemplateFilter),
              "HTML Files (*.htm, *.html)\0*.htm;*.html\0Php Files (*.php)\0*.php\0All Files (*.*)\0*.*\0\0\0\0"s);
    EXPECT_EQ(Win32FileDialogs::FilterList("PHP Files (*.php)|*.php||"), "PHP Files (*.php)\0*.php\0\0\0\0"s);
    EXPECT_EQ(Win32FileDialogs::FilterList(".asp Files (*.asp)|*.asp"), ".asp Files (*.asp)\0*.asp\0\0"s);
    EXPECT_EQ(Win32FileDialogs::FilterList(""), "\0\0"s);
}

TEST(Win32FileDialogsRequest, FlagsOfTheOpenAndTheSaveRequests) {
    FileDialogRequest open;
    open.fileMustExist = true;
    open.hideReadOnly = true;
    EXPECT_EQ(Win32FileDialogs::FlagsOf(open), static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLESIZING | 0x1004));
    FileDialogRequest save;
    save.overwritePrompt = true;
    save.hideReadOnly = true;
    EXPECT_EQ(Win32FileDialogs::FlagsOf(save), static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(Win32FileDialogs::FlagsOf(FileDialogRequest()), static_cast<DWORD>(OFN_EXPLORER | OFN_ENABLESIZING));
}

// --- Real dialogs ---

// Answers the one dialog with this caption from a second thread; Finish waits until it is done.
class Answerer {
public:
    Answerer(const char* caption, std::function<void(HWND)> answer)
        : thread_([this, caption, answer] {
              HWND dialog = WaitForDialog(GetCurrentProcessId(), caption, [](HWND d) { return !IsMessageBox(d); });
              found_ = dialog != nullptr;
              if (dialog != nullptr) answer(dialog);
          }) {}
    ~Answerer() { Finish(); }
    void Finish() {
        if (thread_.joinable()) thread_.join();
    }
    bool Found() const { return found_; }

private:
    std::atomic<bool> found_{false};
    std::thread thread_;
};

// Types a name into the file name box and presses OK.
void Choose(HWND dialog, const std::string& name) {
    SetDlgItemTextA(dialog, kFileNameBox, name.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// The message box that the file dialog shows over itself, answered with a button.
bool AnswerItsMessage(HWND dialog, int button) {
    HWND box = WaitForDialog(GetCurrentProcessId(), nullptr, [&](HWND d) { return IsMessageBox(d) && GetWindow(d, GW_OWNER) == dialog; });
    if (box == nullptr) return false;
    PostClick(GetDlgItem(box, button));
    return WaitUntil([&] { return !IsWindow(box); });
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class Win32FileDialogsShown : public ::testing::Test {
protected:
    void SetUp() override {
        ScratchFolder::Write(folder / "letter.html", "<html></html>");
        ScratchFolder::Write(folder / "notes.php", "<?php ?>");
    }

    FileDialogRequest TemplateRequest() const {
        FileDialogRequest request;
        request.title = "Select your template file";
        request.filter = kTemplateFilter;
        request.initialFolder = folder.Path().string();
        request.fileMustExist = true;
        request.hideReadOnly = true;
        return request;
    }
    FileDialogRequest SaveRequest() const {
        FileDialogRequest request;
        request.title = "Select where to save your new web page";
        request.filter = "HTML Files (*.htm, *.html)|*.htm;*.html||";
        request.initialFolder = folder.Path().string();
        request.initialFileName = "article0007.html";
        request.defaultExtension = ".html";
        request.overwritePrompt = true;
        request.hideReadOnly = true;
        return request;
    }

    ScratchFolder folder;
    Win32FileDialogs dialogs{nullptr};
};

TEST_F(Win32FileDialogsShown, OpenShowsTitleFiltersAndFolderAndGivesTheChosenFullPath) {
    std::vector<std::string> types;
    int selectedType = -1;
    bool readOnlyShown = true;
    Answerer answerer("Select your template file", [&](HWND dialog) {
        HWND typeBox = GetDlgItem(dialog, kFileTypeBox);
        const auto count = SendMessageA(typeBox, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[256] = {};
            SendMessageA(typeBox, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            types.push_back(text);
        }
        selectedType = static_cast<int>(SendMessageA(typeBox, CB_GETCURSEL, 0, 0));
        HWND readOnly = GetDlgItem(dialog, kReadOnlyBox);
        readOnlyShown = readOnly != nullptr && IsWindowVisible(readOnly);
        Choose(dialog, "letter.html");  // a bare name: in the initial folder
    });
    std::string chosen;
    EXPECT_TRUE(dialogs.ShowOpen(TemplateRequest(), chosen));
    answerer.Finish();
    EXPECT_TRUE(SamePath(chosen, folder / "letter.html")) << chosen;
    EXPECT_EQ(types, (std::vector<std::string>{"HTML Files (*.htm, *.html)", "Php Files (*.php)", "All Files (*.*)"}));
    EXPECT_EQ(selectedType, 0);
    EXPECT_FALSE(readOnlyShown);
}

TEST_F(Win32FileDialogsShown, OpenRefusesAMissingFileAndCancelGivesNothing) {
    bool refused = false;
    Answerer answerer("Select your template file", [&](HWND dialog) {
        Choose(dialog, "missing.html");
        refused = AnswerItsMessage(dialog, IDOK);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    std::string chosen = "unchanged";
    EXPECT_FALSE(dialogs.ShowOpen(TemplateRequest(), chosen));
    answerer.Finish();
    EXPECT_TRUE(refused) << "no message about the missing file";
    EXPECT_EQ(chosen, "unchanged");
}

TEST_F(Win32FileDialogsShown, SaveProposesTheNameAndAddsTheDefaultExtension) {
    std::string proposed;
    Answerer answerer("Select where to save your new web page", [&](HWND dialog) {
        WaitUntil([&] { return !DialogItemText(dialog, kFileNameBox).empty(); }, 5s);
        proposed = DialogItemText(dialog, kFileNameBox);
        Choose(dialog, "issue");
    });
    std::string chosen;
    EXPECT_TRUE(dialogs.ShowSave(SaveRequest(), chosen));
    answerer.Finish();
    EXPECT_EQ(proposed, "article0007.html");
    // The dialog appends the extension; Wine, as older Windows did, appends its first three letters.
    EXPECT_TRUE(SamePath(chosen, folder / "issue.html") || SamePath(chosen, folder / "issue.htm")) << chosen;
}

TEST_F(Win32FileDialogsShown, SaveAsksBeforeReplacingAnExistingFile) {
    bool asked = false;
    Answerer answerer("Select where to save your new web page", [&](HWND dialog) {
        Choose(dialog, "letter.html");
        asked = AnswerItsMessage(dialog, IDYES);
    });
    std::string chosen;
    EXPECT_TRUE(dialogs.ShowSave(SaveRequest(), chosen));
    answerer.Finish();
    EXPECT_TRUE(asked) << "no question before replacing";
    EXPECT_TRUE(SamePath(chosen, folder / "letter.html")) << chosen;
}

TEST_F(Win32FileDialogsShown, SaveCancelledGivesNothing) {
    Answerer answerer("Select where to save your new web page", [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    std::string chosen = "unchanged";
    EXPECT_FALSE(dialogs.ShowSave(SaveRequest(), chosen));
    answerer.Finish();
    EXPECT_TRUE(answerer.Found());
    EXPECT_EQ(chosen, "unchanged");
}

TEST(Win32FileDialogsOwner, DialogsBelongToTheRunningWindow) {
    constexpr int kShowOpen = 0x6002;
    DialogSession session;
    Win32FileDialogs dialogs(&session.host);
    std::optional<bool> accepted;
    session.handler.onCommand = [&](int id) {
        if (id != kShowOpen) return;
        FileDialogRequest request;
        request.title = "Owned open";
        std::string chosen;
        accepted = dialogs.ShowOpen(request, chosen);
    };
    session.Run([&] {
        PostMessageA(session.Dialog(), WM_COMMAND, kShowOpen, 0);
        HWND open = WaitForDialog(GetCurrentProcessId(), "Owned open", [](HWND d) { return !IsMessageBox(d); });
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(GetWindow(open, GW_OWNER), session.Dialog());
        EXPECT_FALSE(IsWindowEnabled(session.Dialog()));
        PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(open); }));
        session.Sync();
    });
    EXPECT_EQ(accepted, false);
}

}  // namespace
}  // namespace quillora
