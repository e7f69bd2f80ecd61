// MessageBoxA through the port: the style of each request, and real boxes owned by the running
// dialog, read and answered from a second thread.
#include "adapters/win32/Win32MessageBoxes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "DialogSession.h"
#include "WindowDriver.h"

namespace quillora {
namespace {

using namespace testing;

TEST(Win32MessageBoxesStyle, IconButtonsAndDefaultButtonOfEachRequest) {
    struct Case {
        MessageIcon icon;
        MessageButtons buttons;
        int defaultButton;
        UINT style;
    };
    const Case cases[] = {
        {MessageIcon::Error, MessageButtons::Ok, 0, MB_OK | MB_ICONERROR},
        {MessageIcon::Information, MessageButtons::Ok, 0, MB_OK | MB_ICONINFORMATION},
        {MessageIcon::Question, MessageButtons::YesNo, 1, 0x124},  // the terms of use
        {MessageIcon::Warning, MessageButtons::Ok, 0, MB_OK | MB_ICONEXCLAMATION},
        {MessageIcon::None, MessageButtons::OkCancel, 1, MB_OKCANCEL | MB_DEFBUTTON2},
        {MessageIcon::None, MessageButtons::YesNoCancel, 2, MB_YESNOCANCEL | MB_DEFBUTTON3},
        {MessageIcon::None, MessageButtons::YesNoCancel, 0, MB_YESNOCANCEL},
        // A default beyond the buttons there are leaves the first one the default.
        {MessageIcon::None, MessageButtons::Ok, 1, MB_OK},
        {MessageIcon::None, MessageButtons::YesNo, 2, MB_YESNO},
        {MessageIcon::None, MessageButtons::YesNo, -1, MB_YESNO},
    };
    for (const Case& test : cases) {
        MessageRequest request;
        request.icon = test.icon;
        request.buttons = test.buttons;
        request.defaultButton = test.defaultButton;
        EXPECT_EQ(Win32MessageBoxes::StyleOf(request), test.style)
            << static_cast<int>(test.icon) << "/" << static_cast<int>(test.buttons) << "/" << test.defaultButton;
    }
}

TEST(Win32MessageBoxesStyle, AnswersOfTheBoxAndOfABoxThatCouldNotBeShown) {
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(IDOK, MessageButtons::OkCancel), MessageAnswer::Ok);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(IDCANCEL, MessageButtons::OkCancel), MessageAnswer::Cancel);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(IDYES, MessageButtons::YesNo), MessageAnswer::Yes);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(IDNO, MessageButtons::YesNoCancel), MessageAnswer::No);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(0, MessageButtons::Ok), MessageAnswer::Ok);
    // A box with OK alone can only be answered OK, whatever closed it (Esc gives IDCANCEL under Wine).
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(IDCANCEL, MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(0, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(0, MessageButtons::OkCancel), MessageAnswer::Cancel);
    EXPECT_EQ(Win32MessageBoxes::AnswerOf(0, MessageButtons::YesNoCancel), MessageAnswer::Cancel);
}

// --- Real boxes ---

constexpr int kShowBox = 0x6001;
constexpr int kIconControl = 1088;  // the message box's picture

struct BoxCase {
    const char* what;
    MessageIcon icon;
    LPCSTR systemIcon;  // null: no picture
    MessageButtons buttons;
    int defaultButton;
    std::vector<int> shownButtons;
    int focused;
    UINT key;
    MessageAnswer answer;
};

class Win32MessageBoxesShown : public ::testing::TestWithParam<BoxCase> {};

TEST_P(Win32MessageBoxesShown, OwnedByTheDialogWithTheirTextIconAndDefaultAnswer) {
    const BoxCase& test = GetParam();
    DialogSession session;
    Win32MessageBoxes boxes(&session.host);
    std::optional<MessageAnswer> answer;
    session.handler.onCommand = [&](int id) {
        if (id != kShowBox) return;
        MessageRequest request;
        request.text = "Line one\nline two";
        request.caption = "Box test";
        request.icon = test.icon;
        request.buttons = test.buttons;
        request.defaultButton = test.defaultButton;
        answer = boxes.Show(request);
    };
    session.Run([&] {
        PostMessageA(session.Dialog(), WM_COMMAND, kShowBox, 0);
        HWND box = WaitForDialog(GetCurrentProcessId(), "Box test", IsMessageBox);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(DialogItemText(box, 0xFFFF), "Line one\nline two");
        EXPECT_EQ(GetWindow(box, GW_OWNER), session.Dialog());
        EXPECT_FALSE(IsWindowEnabled(session.Dialog())) << "the window is disabled while the box is open";
        for (int button : {IDOK, IDCANCEL, IDYES, IDNO}) {
            HWND control = GetDlgItem(box, button);
            const bool shown = control != nullptr && IsWindowVisible(control);
            EXPECT_EQ(shown, std::count(test.shownButtons.begin(), test.shownButtons.end(), button) > 0) << "button " << button;
        }
        HWND picture = GetDlgItem(box, kIconControl);
        HICON shownIcon = picture != nullptr && IsWindowVisible(picture)
                              ? reinterpret_cast<HICON>(SendMessageA(picture, STM_GETICON, 0, 0))
                              : nullptr;
        EXPECT_EQ(shownIcon, test.systemIcon != nullptr ? LoadIconA(nullptr, test.systemIcon) : nullptr);
        EXPECT_EQ(FocusOf(box), GetDlgItem(box, test.focused));
        PostKey(FocusOf(box), test.key);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        session.Sync();
        EXPECT_TRUE(IsWindowEnabled(session.Dialog()));
    });
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, test.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Looks, Win32MessageBoxesShown,
    ::testing::Values(
        BoxCase{"TermsOfUseEnterAnswersNo", MessageIcon::Question, IDI_QUESTION, MessageButtons::YesNo, 1, {IDYES, IDNO}, IDNO,
                VK_RETURN, MessageAnswer::No},
        BoxCase{"QuestionEnterAnswersYes", MessageIcon::Question, IDI_QUESTION, MessageButtons::YesNo, 0, {IDYES, IDNO}, IDYES,
                VK_RETURN, MessageAnswer::Yes},
        BoxCase{"ErrorEnterAnswersOk", MessageIcon::Error, IDI_ERROR, MessageButtons::Ok, 0, {IDOK}, IDOK, VK_RETURN,
                MessageAnswer::Ok},
        BoxCase{"InformationEscAnswersOk", MessageIcon::Information, IDI_INFORMATION, MessageButtons::Ok, 0, {IDOK}, IDOK,
                VK_ESCAPE, MessageAnswer::Ok},
        BoxCase{"WarningEnterAnswersOk", MessageIcon::Warning, IDI_WARNING, MessageButtons::Ok, 0, {IDOK}, IDOK, VK_RETURN,
                MessageAnswer::Ok},
        BoxCase{"NoIconThirdButtonDefault", MessageIcon::None, nullptr, MessageButtons::YesNoCancel, 2, {IDYES, IDNO, IDCANCEL},
                IDCANCEL, VK_RETURN, MessageAnswer::Cancel},
        BoxCase{"OkCancelSecondDefault", MessageIcon::None, nullptr, MessageButtons::OkCancel, 1, {IDOK, IDCANCEL}, IDCANCEL,
                VK_RETURN, MessageAnswer::Cancel}),
    [](const ::testing::TestParamInfo<BoxCase>& param) { return std::string(param.param.what); });

TEST(Win32MessageBoxesShown, BeforeTheDialogRunsABoxStandsAlone) {
    Win32DialogHost host(GetModuleHandleA(nullptr), MainWindowTemplate());
    Win32MessageBoxes boxes(&host);
    std::atomic<HWND> owner{reinterpret_cast<HWND>(1)};
    std::thread answerer([&] {
        HWND box = WaitForDialog(GetCurrentProcessId(), "Alone", IsMessageBox);
        if (box == nullptr) return;
        owner = GetWindow(box, GW_OWNER);
        PostClick(GetDlgItem(box, IDYES));
    });
    MessageRequest request;
    request.text = "Shown before any window";
    request.caption = "Alone";
    request.buttons = MessageButtons::YesNo;
    EXPECT_EQ(boxes.Show(request), MessageAnswer::Yes);
    answerer.join();
    EXPECT_EQ(owner.load(), nullptr);
}

}  // namespace
}  // namespace quillora
