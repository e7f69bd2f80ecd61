// The Win32 dialog host running template 102 from this program's resources, the same resource
// script as quillora.exe's, driven from a second thread with messages and posted keys.
#include "adapters/win32/Win32DialogHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "BmpPixels.h"
#include "DialogSession.h"
#include "WindowDriver.h"
#include "resources/Resources.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

using namespace testing;
namespace Id = ControlId;

constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

// The window paints itself after it is shown, when its queue is otherwise empty: these wait for
// the banner's picture to appear in its middle as a sign that the window has been painted.
bool BannerPainted(const DialogSession& session) {
    const Pixels file = DecodeBmp(resources::Bitmap(133));
    HWND banner = session.Item(ControlId::kBanner);
    RECT area;
    GetClientRect(banner, &area);
    return WaitUntil([&] {
        return RgbOf(ClientPixel(banner, (area.right - file.width) / 2 + 200, (area.bottom - file.height) / 2 + 100)) == file.At(200, 100);
    }, 5s);
}

const char* ClassNameOf(ControlClass controlClass) {
    switch (controlClass) {
    case ControlClass::Button: return "Button";
    case ControlClass::Edit: return "Edit";
    case ControlClass::Static: return "Static";
    }
    return "";
}

// --- The window as the template describes it ---

TEST(Win32DialogHostTemplate, MsSansSerifEightGivesDialogUnitsOfSixByThirteenPixels) {
    DialogSession session;
    session.Run([&] {
        RECT units = session.Pixels(0, 0, 4, 8);
        EXPECT_EQ(units.right, 6);
        EXPECT_EQ(units.bottom, 13);
    });
}

TEST(Win32DialogHostTemplate, WindowHasTheTemplatesSizeStyleAndCaption) {
    const WindowTemplate& window = MainWindowTemplate();
    DialogSession session;
    session.Run([&] {
        HWND dialog = session.Dialog();
        RECT client;
        GetClientRect(dialog, &client);
        RECT expected = session.Pixels(0, 0, window.width, window.height);
        EXPECT_TRUE(SameRect(client, expected)) << Describe(client) << " instead of " << Describe(expected);

        const auto style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        for (DWORD bit : {DWORD{WS_POPUP}, DWORD{WS_VISIBLE}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU}, DWORD{WS_MINIMIZEBOX}}) {
            EXPECT_TRUE(style & bit) << std::hex << bit;
        }
        EXPECT_FALSE(style & WS_MAXIMIZEBOX);
        EXPECT_FALSE(style & WS_THICKFRAME) << "no sizing border";
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(WindowText(dialog), "Quillora");
        EXPECT_EQ(GetMenu(dialog), nullptr);
    });
}

TEST(Win32DialogHostTemplate, ControlsComeInTemplateOrderWithTheirIdsClassesTextsStylesAndPlaces) {
    const WindowTemplate& window = MainWindowTemplate();
    DialogSession session;
    session.Run([&] {
        std::size_t index = 0;
        for (HWND child = GetWindow(session.Dialog(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT), ++index) {
            ASSERT_LT(index, window.controls.size()) << "more controls than the template has";
            const ControlTemplate& control = window.controls[index];
            SCOPED_TRACE("control #" + std::to_string(index + 1) + ", id " + std::to_string(control.id));
            EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), static_cast<WORD>(control.id));
            EXPECT_EQ(lstrcmpiA(ClassOf(child).c_str(), ClassNameOf(control.controlClass)), 0) << ClassOf(child);
            // An edit field trades its WS_BORDER for the sunken WS_EX_CLIENTEDGE as it is created.
            DWORD style = control.style;
            if (control.controlClass == ControlClass::Edit && control.Has(Style::kBorder)) {
                style &= ~static_cast<DWORD>(WS_BORDER);
                EXPECT_TRUE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
            }
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), style)
                << std::hex << GetWindowLongA(child, GWL_STYLE) << " instead of " << style;
            if (control.imageId == 0) {
                EXPECT_EQ(WindowText(child), control.text);
            }
            RECT expected = session.Place(control.x, control.y, control.width, control.height);
            RECT actual = RectInParent(child);
            EXPECT_TRUE(SameRect(actual, expected)) << Describe(actual) << " instead of " << Describe(expected);
        }
        EXPECT_EQ(index, window.controls.size());
    });
}

// --- Keyboard ---

TEST(Win32DialogHostKeyboard, FocusStartsOnHelpAndTabFollowsTheTemplatesTabStops) {
    const std::vector<int> order = {Id::kSelectButton, Id::kArticleNumber, Id::kArticleTitle, Id::kArticleText,
                                    Id::kPasteButton,  Id::kUpdateIndex,   Id::kCreateButton, Id::kTemplateName,
                                    Id::kHelpButton};
    DialogSession session;
    session.Run([&] {
        EXPECT_EQ(FocusOf(session.Dialog()), session.Item(Id::kHelpButton));
        for (int next : order) {
            PostKey(FocusOf(session.Dialog()), VK_TAB);
            session.Sync();
            EXPECT_EQ(FocusOf(session.Dialog()), session.Item(next)) << "after Tab, expected " << next;
        }
    });
    EXPECT_TRUE(session.handler.Commands() == std::vector<int>{kIdCancel});
}

struct KeyCase {
    const char* what;
    int focus;
    UINT key;
    int command;  // 0: none
};

class Win32DialogHostKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(Win32DialogHostKeys, SendTheirCommand) {
    const KeyCase& test = GetParam();
    DialogSession session;
    session.Run([&] {
        session.Focus(test.focus);
        PostKey(session.Item(test.focus), test.key);
        if (test.command != 0) {
            EXPECT_TRUE(session.handler.WaitForCommand(test.command));
        }
        if (test.command != kIdOk && test.command != kIdCancel) session.Sync();
    });
    std::vector<int> expected;
    if (test.command != 0) expected.push_back(test.command);
    if (test.command != kIdOk && test.command != kIdCancel) expected.push_back(kIdCancel);  // the session's own end
    EXPECT_EQ(session.handler.Commands(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    EnterEscAndF1, Win32DialogHostKeys,
    ::testing::Values(KeyCase{"EnterClicksFocusedHelp", Id::kHelpButton, VK_RETURN, Id::kHelpButton},
                      KeyCase{"EnterClicksFocusedSelect", Id::kSelectButton, VK_RETURN, Id::kSelectButton},
                      KeyCase{"EnterClicksFocusedPaste", Id::kPasteButton, VK_RETURN, Id::kPasteButton},
                      KeyCase{"EnterClicksFocusedCreate", Id::kCreateButton, VK_RETURN, Id::kCreateButton},
                      KeyCase{"EnterInNumberSendsOk", Id::kArticleNumber, VK_RETURN, kIdOk},
                      KeyCase{"EnterInTitleSendsOk", Id::kArticleTitle, VK_RETURN, kIdOk},
                      KeyCase{"EnterInTemplateFieldSendsOk", Id::kTemplateName, VK_RETURN, kIdOk},
                      KeyCase{"EnterOnCheckBoxSendsOk", Id::kUpdateIndex, VK_RETURN, kIdOk},
                      KeyCase{"EnterInArticleTextSendsNothing", Id::kArticleText, VK_RETURN, 0},
                      KeyCase{"EscOnHelpSendsCancel", Id::kHelpButton, VK_ESCAPE, kIdCancel},
                      KeyCase{"EscInNumberSendsCancel", Id::kArticleNumber, VK_ESCAPE, kIdCancel},
                      KeyCase{"EscInArticleTextSendsCancel", Id::kArticleText, VK_ESCAPE, kIdCancel},
                      KeyCase{"EscOnCheckBoxSendsCancel", Id::kUpdateIndex, VK_ESCAPE, kIdCancel},
                      KeyCase{"F1InTitleSendsNothing", Id::kArticleTitle, VK_F1, 0},
                      KeyCase{"F1OnHelpSendsNothing", Id::kHelpButton, VK_F1, 0}),
    [](const ::testing::TestParamInfo<KeyCase>& param) { return std::string(param.param.what); });

// A real key press: the field's new line comes from the character that the system makes of the
// key, which a posted key message does not always give.
TEST(Win32DialogHostKeyboard, EnterInTheArticleTextStartsANewLine) {
    DialogSession session;
    session.Run([&] {
        session.host.SetText(Id::kArticleText, "first");
        session.Focus(Id::kArticleText);
        SendMessageA(session.Item(Id::kArticleText), EM_SETSEL, 5, 5);
        ASSERT_EQ(GetForegroundWindow(), session.Dialog()) << "the keyboard goes to another window";
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return session.host.Text(Id::kArticleText) == "first\r\n"; }, 5s))
            << session.host.Text(Id::kArticleText);
        session.Sync();
    });
    EXPECT_EQ(session.handler.Commands(), std::vector<int>{kIdCancel});
}

TEST(Win32DialogHostKeyboard, NumberFieldTakesOnlyDigitsFromTheKeyboardButAnyPastedText) {
    DialogSession session;
    session.Run([&] {
        HWND number = session.Item(Id::kArticleNumber);
        session.host.SetText(Id::kArticleNumber, "12");
        session.Focus(Id::kArticleNumber);
        SendMessageA(number, EM_SETSEL, 2, 2);
        for (char typed : std::string("x-+ .3")) PostMessageA(number, WM_CHAR, static_cast<unsigned char>(typed), 1);
        session.Sync();
        EXPECT_EQ(session.host.Text(Id::kArticleNumber), "123");

        ASSERT_TRUE(PutOnClipboard(" -4a"));
        session.host.SelectAllText(Id::kArticleNumber);
        session.host.Paste(Id::kArticleNumber);
        EXPECT_EQ(session.host.Text(Id::kArticleNumber), " -4a");
    });
}

// --- What the window logic does through the port ---

TEST(Win32DialogHostPort, TextsAndCheckStatesGoIntoTheControlsAndComeBack) {
    DialogSession session;
    session.Run([&] {
        session.host.SetText(Id::kArticleText, "line one\r\nline two\r\n");
        EXPECT_EQ(WindowText(session.Item(Id::kArticleText)), "line one\r\nline two\r\n");
        EXPECT_EQ(session.host.Text(Id::kArticleText), "line one\r\nline two\r\n");
        session.host.SetText(Id::kTemplateName, "my template.html");
        EXPECT_EQ(session.host.Text(Id::kTemplateName), "my template.html");
        session.host.SetText(Id::kArticleTitle, "");
        EXPECT_EQ(session.host.Text(Id::kArticleTitle), "");
        EXPECT_EQ(session.host.Text(4242), "") << "no such control";

        session.host.SetCheckState(Id::kUpdateIndex, 1);
        EXPECT_EQ(SendMessageA(session.Item(Id::kUpdateIndex), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(session.host.CheckState(Id::kUpdateIndex), 1);
        session.host.SetCheckState(Id::kUpdateIndex, 0);
        EXPECT_EQ(session.host.CheckState(Id::kUpdateIndex), 0);

        session.host.SetCaption("Acme Pages");
        EXPECT_EQ(WindowText(session.Dialog()), "Acme Pages");
    });
}

TEST(Win32DialogHostPort, FocusAndSelectAllLeaveTheWholeNumberSelected) {
    DialogSession session;
    session.Run([&] {
        session.host.SetText(Id::kArticleNumber, "12x");
        session.Focus(Id::kArticleTitle);
        session.Focus(Id::kArticleNumber);
        SendMessageA(session.Item(Id::kArticleNumber), EM_SETSEL, 1, 1);
        session.host.SelectAllText(Id::kArticleNumber);
        DWORD start = 0, end = 0;
        SendMessageA(session.Item(Id::kArticleNumber), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 3u);
    });
}

TEST(Win32DialogHostPort, PasteReplacesTheSelectedTextWithTheClipboardsText) {
    DialogSession session;
    session.Run([&] {
        session.host.SetText(Id::kArticleText, "old text");
        ASSERT_TRUE(PutOnClipboard("pasted\r\nlines"));
        session.host.SelectAllText(Id::kArticleText);
        session.host.ScrollCaretIntoView(Id::kArticleText);
        session.host.Paste(Id::kArticleText);
        EXPECT_EQ(session.host.Text(Id::kArticleText), "pasted\r\nlines");
    });
}

TEST(Win32DialogHostPort, PasteWithoutTextOnTheClipboardKeepsTheTextSelected) {
    DialogSession session;
    session.Run([&] {
        session.host.SetText(Id::kArticleText, "kept");
        ASSERT_TRUE(PutOnClipboard(nullptr));
        session.host.SelectAllText(Id::kArticleText);
        session.host.Paste(Id::kArticleText);
        EXPECT_EQ(session.host.Text(Id::kArticleText), "kept");
        DWORD start = 9, end = 9;
        SendMessageA(session.Item(Id::kArticleText), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 4u);
    });
}

// --- Clicks ---

TEST(Win32DialogHostClicks, BannerReportsAClickAndLabelsDoNot) {
    DialogSession session;
    session.Run([&] {
        HWND banner = session.Item(Id::kBanner);
        RECT place;
        GetWindowRect(banner, &place);
        const LPARAM screenCentre = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
        // The mouse reaches the banner; a plain label lets it through to the window.
        EXPECT_EQ(SendMessageA(banner, WM_NCHITTEST, 0, screenCentre), HTCLIENT);
        HWND label = GetWindow(session.Dialog(), GW_CHILD);
        while (label != nullptr && WindowText(label) != "Article Title") label = GetWindow(label, GW_HWNDNEXT);
        ASSERT_NE(label, nullptr);
        GetWindowRect(label, &place);
        EXPECT_EQ(SendMessageA(label, WM_NCHITTEST, 0, MAKELPARAM(place.left + 1, place.top + 1)), HTTRANSPARENT);

        SendMessageA(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        SendMessageA(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        SendMessageA(banner, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        session.Sync();
    });
    EXPECT_EQ(session.handler.Commands(), (std::vector<int>{Id::kBanner, kIdCancel}));
}

TEST(Win32DialogHostClicks, ButtonClicksAndTheCloseBoxArriveAsCommands) {
    DialogSession session;
    session.Run([&] {
        for (int id : {Id::kCreateButton, Id::kSelectButton, Id::kUpdateIndex}) PostClick(session.Item(id));
        session.Sync();
        PostMessageA(session.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box and Alt+F4
        EXPECT_TRUE(session.handler.WaitForCommand(kIdCancel));
    });
    EXPECT_EQ(session.handler.Commands(), (std::vector<int>{Id::kCreateButton, Id::kSelectButton, Id::kUpdateIndex, kIdCancel}));
}

TEST(Win32DialogHostClicks, HelpRequestIsAnsweredAndDoesNothing) {
    DialogSession session;
    session.Run([&] {
        HELPINFO help = {};
        help.cbSize = sizeof help;
        help.iContextType = HELPINFO_WINDOW;
        help.hItemHandle = session.Item(Id::kArticleTitle);
        EXPECT_EQ(SendMessageA(session.Dialog(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), TRUE);
        session.Sync();
        EXPECT_TRUE(IsWindowVisible(session.Dialog()));
    });
    EXPECT_EQ(session.handler.Commands(), std::vector<int>{kIdCancel});
}

// --- Ending ---

TEST(Win32DialogHostEnding, ResultIsOkOrCancelAsTheHandlerEndsIt) {
    DialogSession ok;
    EXPECT_EQ(ok.Run([&] { PostMessageA(ok.Dialog(), WM_COMMAND, IDOK, 0); }), DialogResult::Ok);
    DialogSession cancel;
    EXPECT_EQ(cancel.Run([&] { PostMessageA(cancel.Dialog(), WM_COMMAND, IDCANCEL, 0); }), DialogResult::Cancel);
}

// A dialog ended while it initialises (the terms of use declined) is never shown.
LRESULT CALLBACK CountShows(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto former = reinterpret_cast<WNDPROC>(GetPropA(window, "former"));
    if (IsWindowVisible(window)) SetPropA(window, "shown", reinterpret_cast<HANDLE>(1));
    if (message == WM_DESTROY) {
        *reinterpret_cast<bool*>(GetPropA(window, "record")) = GetPropA(window, "shown") != nullptr;
        RemovePropA(window, "shown");
        RemovePropA(window, "record");
        RemovePropA(window, "former");
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(former));
    }
    return CallWindowProcA(former, window, message, wParam, lParam);
}

TEST(Win32DialogHostEnding, DialogEndedDuringInitialisationIsNeverShown) {
    bool shown = true;
    Win32DialogHost host(GetModuleHandleA(nullptr), MainWindowTemplate());
    RecordingHandler handler(host);
    handler.onInitialise = [&](Win32DialogHost& h) {
        HWND dialog = h.Window();
        SetPropA(dialog, "record", &shown);
        SetPropA(dialog, "former", reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountShows));
        h.EndDialog(DialogResult::Cancel);
    };
    EXPECT_EQ(host.RunModal(handler), DialogResult::Cancel);
    EXPECT_FALSE(shown);
    EXPECT_TRUE(handler.Commands().empty());
    EXPECT_EQ(host.Window(), nullptr);
}

// --- Colours ---

TEST(Win32DialogHostColours, EveryColourRequestIsAnsweredWithWhiteLeavingTheTextColours) {
    DialogSession session;
    session.Run([&] {
        HBRUSH white = session.host.WhiteBrush();
        LOGBRUSH brush = {};
        ASSERT_EQ(GetObjectA(white, sizeof brush, &brush), static_cast<int>(sizeof brush));
        EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(brush.lbColor, kWhite);

        HDC dc = GetDC(session.Dialog());
        for (UINT request : {WM_CTLCOLORMSGBOX, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_CTLCOLORDLG,
                             WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC}) {
            for (HWND from = GetWindow(session.Dialog(), GW_CHILD); from != nullptr; from = GetWindow(from, GW_HWNDNEXT)) {
                SetTextColor(dc, RGB(1, 2, 3));
                SetBkColor(dc, RGB(4, 5, 6));
                SetBkMode(dc, OPAQUE);
                LRESULT answer = SendMessageA(session.Dialog(), request, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(from));
                EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), white) << "request " << std::hex << request << " from " << GetDlgCtrlID(from);
                EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
                EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
                EXPECT_EQ(GetBkMode(dc), OPAQUE);
            }
        }
        ReleaseDC(session.Dialog(), dc);
    });
}

TEST(Win32DialogHostColours, WindowFieldsLabelsAndFrameArePaintedWhite) {
    ASSERT_NE(GetSysColor(COLOR_3DFACE), kWhite) << "the system's own dialog colour must differ for this test to tell";
    DialogSession session;
    session.Run([&] {
        HWND dialog = session.Dialog();
        ASSERT_TRUE(BannerPainted(session)) << "the window was not painted";
        struct Spot {
            const char* what;
            HWND window;
            int x, y;
        };
        const RECT left = session.Pixels(2, 150, 1, 1);       // the window, left of the frame
        const RECT inside = session.Pixels(200, 284, 1, 1);   // inside the frame, below the check box's text
        const RECT text = session.Pixels(3, 4, 1, 1);         // inside a label, towards its left edge
        HWND label = GetWindow(dialog, GW_CHILD);
        while (label != nullptr && WindowText(label) != "Template File") label = GetWindow(label, GW_HWNDNEXT);
        ASSERT_NE(label, nullptr);
        RECT field;
        GetClientRect(session.Item(Id::kTemplateName), &field);
        RECT box;
        GetClientRect(session.Item(Id::kUpdateIndex), &box);
        const std::vector<Spot> spots = {
            {"window", dialog, left.left, left.top},
            {"working area", dialog, inside.left, inside.top},
            {"read-only template field", session.Item(Id::kTemplateName), field.right / 2, field.bottom / 2},
            {"article number field", session.Item(Id::kArticleNumber), 40, 5},
            {"article text field", session.Item(Id::kArticleText), 40, 20},
            {"label", label, 0, text.top},
            {"check box, right of its text", session.Item(Id::kUpdateIndex), box.right - 2, box.bottom / 2},
        };
        WaitUntil([&] {
            return std::all_of(spots.begin(), spots.end(), [](const Spot& spot) { return ClientPixel(spot.window, spot.x, spot.y) == kWhite; });
        }, 3s);
        for (const Spot& spot : spots) {
            EXPECT_EQ(ClientPixel(spot.window, spot.x, spot.y), kWhite) << spot.what << " at " << spot.x << "," << spot.y;
        }
    });
}

// --- Pictures ---

TEST(Win32DialogHostPictures, FacesFromBitmapFilesShowOnTheButtonsAndUnreadableOnesLeaveThemBlank) {
    DialogSession session;
    session.handler.onInitialise = [](Win32DialogHost& host) {
        host.SetButtonFace(Id::kHelpButton, resources::Bitmap(160));
        host.SetButtonFace(Id::kCreateButton, resources::Bitmap(162));
        host.SetButtonFace(Id::kPasteButton, "BM not a picture");
    };
    session.Run([&] {
        const Pixels file = DecodeBmp(resources::Bitmap(160));
        auto face = reinterpret_cast<HBITMAP>(SendMessageA(session.Item(Id::kHelpButton), BM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(face, nullptr);
        const Pixels shown = PixelsOf(face);
        EXPECT_EQ(shown.width, 58);
        EXPECT_EQ(shown.height, 16);
        EXPECT_TRUE(shown.rgb == file.rgb) << "the face's pixels differ from the file's";
        EXPECT_NE(SendMessageA(session.Item(Id::kCreateButton), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_EQ(SendMessageA(session.Item(Id::kPasteButton), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        EXPECT_EQ(SendMessageA(session.Item(Id::kSelectButton), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);

        // On the screen, the middle of the Help button is one of its face's colours.
        HWND help = session.Item(Id::kHelpButton);
        ASSERT_TRUE(BannerPainted(session)) << "the window was not painted";
        RECT button;
        GetClientRect(help, &button);
        const std::set<std::uint32_t> faceColours(file.rgb.begin(), file.rgb.end());
        auto middleColour = [&] { return RgbOf(ClientPixel(help, button.right / 2, button.bottom / 2)); };
        WaitUntil([&] { return faceColours.count(middleColour()) > 0; }, 3s);
        const std::uint32_t middle = middleColour();
        EXPECT_TRUE(faceColours.count(middle)) << std::hex << middle;
        EXPECT_NE(middle, RgbOf(GetSysColor(COLOR_BTNFACE)));
    });
}

TEST(Win32DialogHostPictures, BannerShowsBitmap133Centred) {
    DialogSession session;
    session.Run([&] {
        HWND banner = session.Item(Id::kBanner);
        auto picture = reinterpret_cast<HBITMAP>(SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(picture, nullptr);
        const Pixels shown = PixelsOf(picture);
        const Pixels file = DecodeBmp(resources::Bitmap(133));
        EXPECT_EQ(shown.width, 400);
        EXPECT_EQ(shown.height, 200);
        EXPECT_TRUE(shown.rgb == file.rgb);

        RECT area;
        GetClientRect(banner, &area);
        const int left = (area.right - shown.width) / 2;
        const int top = (area.bottom - shown.height) / 2;
        const POINT points[] = {POINT{10, 10}, POINT{200, 100}, POINT{390, 190}};
        WaitUntil([&] {
            return std::all_of(std::begin(points), std::end(points),
                               [&](POINT at) { return RgbOf(ClientPixel(banner, left + at.x, top + at.y)) == file.At(at.x, at.y); });
        }, 5s);
        for (POINT at : points) {
            EXPECT_EQ(RgbOf(ClientPixel(banner, left + at.x, top + at.y)), file.At(at.x, at.y)) << at.x << "," << at.y;
        }
    });
}

TEST(Win32DialogHostPictures, IconsOfStandardAndSmallSizeGoToTheWindowAndAnswerTheDragIconQuery) {
    DialogSession session;
    session.handler.onInitialise = [](Win32DialogHost& host) { host.SetIcons(resources::Icon()); };
    session.Run([&] {
        HWND dialog = session.Dialog();
        HICON big = session.host.BigIcon();
        HICON small = session.host.SmallIcon();
        ASSERT_NE(big, nullptr);
        ASSERT_NE(small, nullptr);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)), big);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), small);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0)), big);
        for (auto [icon, size] : {std::pair{big, GetSystemMetrics(SM_CXICON)}, std::pair{small, GetSystemMetrics(SM_CXSMICON)}}) {
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size);
            EXPECT_EQ(colour.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    });
}

// While minimised the window erases its icon's background and draws its icon in the middle.
// Without a window manager Wine gives a minimised window no client area and restores it at
// once; the subclass keeps it minimised (WM_QUERYOPEN) and counts the icon erasing, which only
// the host's painting of the minimised window asks for.
LRESULT CALLBACK KeepMinimisedAndCountIconErasing(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto former = reinterpret_cast<WNDPROC>(GetPropA(window, "former"));
    if (message == WM_QUERYOPEN && GetPropA(window, "keep minimised") != nullptr) return FALSE;
    if (message == WM_ICONERASEBKGND && wParam != 0) {
        auto count = reinterpret_cast<std::uintptr_t>(GetPropA(window, "erased"));
        SetPropA(window, "erased", reinterpret_cast<HANDLE>(count + 1));
    }
    return CallWindowProcA(former, window, message, wParam, lParam);
}

TEST(Win32DialogHostPictures, MinimisedWindowPaintsItsIconOnly) {
    DialogSession session;
    session.handler.onInitialise = [](Win32DialogHost& host) {
        host.SetIcons(resources::Icon());
        HWND dialog = host.Window();
        SetPropA(dialog, "former", reinterpret_cast<HANDLE>(GetWindowLongPtrA(dialog, GWLP_WNDPROC)));
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&KeepMinimisedAndCountIconErasing));
    };
    session.Run([&] {
        HWND dialog = session.Dialog();
        auto erased = [&] { return reinterpret_cast<std::uintptr_t>(GetPropA(dialog, "erased")); };
        SendMessageA(dialog, WM_PAINT, 0, 0);
        EXPECT_EQ(erased(), 0u) << "an open window paints as usual";

        SetPropA(dialog, "keep minimised", reinterpret_cast<HANDLE>(1));
        ShowWindow(dialog, SW_MINIMIZE);
        session.Sync();
        ASSERT_TRUE(IsIconic(dialog));
        SendMessageA(dialog, WM_PAINT, 0, 0);
        EXPECT_EQ(erased(), 1u);

        RemovePropA(dialog, "keep minimised");
        ShowWindow(dialog, SW_RESTORE);
        session.Sync();
        EXPECT_FALSE(IsIconic(dialog));
        SendMessageA(dialog, WM_PAINT, 0, 0);
        EXPECT_EQ(erased(), 1u);
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GetPropA(dialog, "former")));
        RemovePropA(dialog, "former");
        RemovePropA(dialog, "erased");
    });
}

// --- Pictures from files ---

std::string Patched(std::string file, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
    return file;
}

TEST(BitmapFromFile, ReadsEveryBitmapOfTheProgramWithItsPixels) {
    for (int id : {133, 160, 161, 162, 266}) {
        SCOPED_TRACE(id);
        HBITMAP bitmap = BitmapFromFile(resources::Bitmap(id));
        ASSERT_NE(bitmap, nullptr);
        EXPECT_TRUE(PixelsOf(bitmap).rgb == DecodeBmp(resources::Bitmap(id)).rgb);
        DeleteObject(bitmap);
    }
}

TEST(BitmapFromFile, RefusesBytesThatAreNoUncompressedBitmap) {
    const std::string face(resources::Bitmap(160));
    const std::string banner(resources::Bitmap(133));
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"only a file header", face.substr(0, 14)},
        {"one byte short", face.substr(0, face.size() - 1)},
        {"banner one row short", banner.substr(0, banner.size() - 1200)},
        {"not BM", "XY" + face.substr(2)},
        {"run-length compressed", Patched(face, 30, BI_RLE8, 4)},
        {"no height", Patched(face, 22, 0, 4)},
        {"negative width", Patched(face, 18, 0xFFFFFFC6, 4)},
        {"pixels said to start past the end", Patched(face, 10, static_cast<std::uint32_t>(face.size()) + 1, 4)},
        {"pixels said to start inside the palette", Patched(face, 10, 100, 4)},
        {"more than 256 colours", Patched(face, 46, 300, 4)},
        {"header size past the end", Patched(face, 14, 0x7FFFFFFF, 4)},
        {"two bit planes", Patched(face, 26, 2, 2)},
        {"three bits per pixel", Patched(face, 28, 3, 2)},
    };
    for (const Case& test : cases) {
        HBITMAP bitmap = BitmapFromFile(test.bytes);
        EXPECT_EQ(bitmap, nullptr) << test.what;
        if (bitmap != nullptr) DeleteObject(bitmap);
    }
}

TEST(IconFromFile, PicksTheImageOfTheAskedSizeAndRefusesBrokenFiles) {
    for (int size : {16, 24, 32, 48}) {
        HICON icon = IconFromFile(resources::Icon(), size);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask = {};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // Every image said to lie past the end of the file.
    std::string pastTheEnd(resources::Icon());
    for (std::size_t entry = 0; entry < 8; ++entry) pastTheEnd = Patched(pastTheEnd, 6 + 16 * entry + 12, 0xFFFFFF00, 4);
    const std::string icon(resources::Icon());
    for (const std::string& broken : {std::string(), icon.substr(0, 5), Patched(icon, 2, 2, 2), icon.substr(0, 6 + 16 * 8 - 1), pastTheEnd}) {
        EXPECT_EQ(IconFromFile(broken, 32), nullptr) << broken.size() << " bytes";
    }
}

}  // namespace
}  // namespace quillora
