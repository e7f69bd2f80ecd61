// quillora.exe run under Wine as its user would run it: started as a process, its windows found
// on the desktop and answered with messages and keys, its settings read from the registry and
// its pages from the disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ImageFiles.h"
#include "cli/CommandSettings.h"
#include "ProgramFile.h"
#include "WindowDriver.h"
#include "branding/BrandingRecord.h"
#include "fakes/ScratchFolder.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

using namespace testing;
namespace Id = ControlId;

constexpr char kSectionKey[] = "Software\\Tessaline\\Quillora\\LU";

// The program's settings in the current user's registry, empty for each test: the user's own
// are set aside meanwhile. Values are read and written here with the registry's own calls.
class Settings {
public:

    static void PutDword(const char* name, DWORD value) { Put(name, REG_DWORD, &value, sizeof value); }
    static void PutText(const char* name, const std::string& text) { Put(name, REG_SZ, text.c_str(), text.size() + 1); }

    static std::optional<DWORD> Dword(const char* name) {
        DWORD value = 0;
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, kSectionKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
            type != REG_DWORD) {
            return std::nullopt;
        }
        return value;
    }
    static std::optional<std::string> Text(const char* name) {
        char value[1024] = {};
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, kSectionKey, name, RRF_RT_ANY, &type, value, &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return std::nullopt;
        }
        return std::string(value);
    }

private:
    CommandSettings setAside_;

    static void Put(const char* name, DWORD type, const void* data, std::size_t size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSectionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
        RegCloseKey(key);
    }
};

// One run of the program; a run that a failed test leaves open is ended.
class Program {
public:
    explicit Program(const std::string& path = ProgramFile()) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + path + "\"";
        started_ = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_);
        EXPECT_TRUE(started_) << path << " error " << GetLastError();
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD Id() const { return process_.dwProcessId; }
    // The exit status, or none when the program is still running after the time given.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = 20000) const {
        if (!started_ || WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
        DWORD status = 0;
        GetExitCodeProcess(process_.hProcess, &status);
        return status;
    }

    HWND TermsPrompt(const char* caption = "Quillora") const {
        return WaitForDialog(Id(), caption, [](HWND dialog) { return IsMessageBox(dialog) && GetDlgItem(dialog, IDYES) != nullptr; });
    }
    HWND MainWindow(const char* caption = "Quillora") const {
        return WaitForDialog(Id(), caption, [](HWND dialog) { return GetDlgItem(dialog, Id::kBanner) != nullptr; });
    }
    HWND MessageBoxWith(const std::string& text) const {
        return WaitForDialog(Id(), nullptr, [&](HWND dialog) { return IsMessageBox(dialog) && DialogItemText(dialog, 0xFFFF) == text; });
    }

private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

bool IsVisibleButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && IsWindowVisible(button);
}

// --- The terms of use ---

TEST(ProgramTerms, DecliningEndsWithStatusOneWithoutShowingTheWindowOrStoringAnything) {
    Settings settings;
    Program program;
    HWND box = program.TermsPrompt();
    ASSERT_NE(box, nullptr) << "no terms prompt";
    EXPECT_EQ(DialogItemText(box, 0xFFFF), std::string(kTermsDisclaimer) + kTermsQuestion);
    EXPECT_TRUE(IsVisibleButton(box, IDYES));
    EXPECT_TRUE(IsVisibleButton(box, IDNO));
    EXPECT_FALSE(IsVisibleButton(box, IDOK));
    EXPECT_FALSE(IsVisibleButton(box, IDCANCEL));
    EXPECT_EQ(FocusOf(box), GetDlgItem(box, IDNO)) << "No is the default answer";
    EXPECT_EQ(VisibleDialogs(program.Id()).size(), 1u) << "only the prompt is on the screen";

    PostKey(GetDlgItem(box, IDNO), VK_RETURN);
    EXPECT_EQ(program.WaitForExit(), 1u);
    EXPECT_FALSE(Settings::Dword("Terms"));
}

TEST(ProgramTerms, AcceptingStoresTermsAndOpensTheWindowWhichLaterStartsOpenAtOnce) {
    Settings settings;
    {
        Program program;
        HWND box = program.TermsPrompt();
        ASSERT_NE(box, nullptr) << "no terms prompt";
        PostClick(GetDlgItem(box, IDYES));
        HWND window = program.MainWindow();
        ASSERT_NE(window, nullptr) << "no main window";
        EXPECT_EQ(WindowText(window), "Quillora");
        EXPECT_EQ(Settings::Dword("Terms"), 1u);

        // A first start: empty template, number 1, the box checked, the focus on Help.
        EXPECT_EQ(DialogItemText(window, Id::kTemplateName), "");
        EXPECT_EQ(DialogItemText(window, Id::kArticleNumber), "1");
        EXPECT_EQ(SendMessageA(GetDlgItem(window, Id::kUpdateIndex), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(FocusOnReturn(window), GetDlgItem(window, Id::kHelpButton));
        for (int button : {Id::kHelpButton, Id::kSelectButton, Id::kCreateButton, Id::kPasteButton}) {
            EXPECT_NE(SendMessageA(GetDlgItem(window, button), BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "face of " << button;
        }

        PostKey(GetDlgItem(window, Id::kHelpButton), VK_ESCAPE);
        EXPECT_EQ(program.WaitForExit(), 0u);
    }
    Program again;
    HWND window = again.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(VisibleDialogs(again.Id()).size(), 1u) << "no prompt once the terms are accepted";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.WaitForExit(), 0u);
}

// --- The window with stored settings ---

TEST(ProgramWindow, StoredSettingsFillTheFieldsAndEnterInTheTitleClosesWithoutStoring) {
    Settings settings;
    Settings::PutDword("Terms", 1);
    Settings::PutDword("Counter", 41);
    Settings::PutDword("Index", 0);
    Settings::PutText("Template", "C:\\Sites\\Letters\\My Template.HTML");
    Program program;
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(DialogItemText(window, Id::kArticleNumber), "42");
    EXPECT_EQ(DialogItemText(window, Id::kTemplateName), "my template.html");
    EXPECT_EQ(SendMessageA(GetDlgItem(window, Id::kUpdateIndex), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    HWND title = GetDlgItem(window, Id::kArticleTitle);
    SendMessageA(title, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Lost on Enter"));
    PostKey(title, VK_RETURN);
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_EQ(Settings::Dword("Counter"), 41u);
    EXPECT_EQ(Settings::Text("Template"), "C:\\Sites\\Letters\\My Template.HTML");
}

TEST(ProgramWindow, PasteTakesTheClipboardsTextAndARejectedNumberIsSelectedAfterItsMessage) {
    Settings settings;
    Settings::PutDword("Terms", 1);
    Program program;
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);

    ASSERT_TRUE(PutOnClipboard("Pasted article\r\nsecond line"));
    SendMessageA(GetDlgItem(window, Id::kArticleText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("replaced"));
    PostClick(GetDlgItem(window, Id::kPasteButton));
    EXPECT_TRUE(WaitUntil([&] { return DialogItemText(window, Id::kArticleText) == "Pasted article\r\nsecond line"; }))
        << DialogItemText(window, Id::kArticleText);

    HWND number = GetDlgItem(window, Id::kArticleNumber);
    SendMessageA(number, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12a"));
    PostClick(GetDlgItem(window, Id::kSelectButton));
    HWND box = program.MessageBoxWith("Please enter an integer.");
    ASSERT_NE(box, nullptr) << "no message about the number";
    EXPECT_EQ(WindowText(box), "Quillora");
    EXPECT_TRUE(VisibleDialogs(program.Id(), "Select your template file").empty()) << "no file dialog after a rejected number";
    PostClick(GetDlgItem(box, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return FocusOnReturn(window) == number; })) << "focus on " << GetDlgCtrlID(FocusOf(window));
    EXPECT_EQ(SendMessageA(number, EM_GETSEL, 0, 0), MAKELRESULT(0, 3)) << "the whole number selected";

    PostKey(number, VK_ESCAPE);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

// --- Create from the window ---

std::string WithWindowsLineBreaks(const std::string& text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
}

// The window's pixels as they are on the screen, saved as a PNG file.
bool SaveScreenshot(HWND window, const std::string& path) {
    RECT place;
    GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ former = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY) != FALSE;
    SelectObject(memory, former);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const bool read = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || !read) return false;

    tools::Canvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) canvas.Set(x, y, tools::Rgb(pixels[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF));
    }
    ScratchFolder::Write(path, tools::EncodePng(canvas));
    return true;
}

TEST(ProgramWindow, CreateWritesTheArticlePageAndTheIndexLinkAndAdvancesTheNumber) {
    ScratchFolder site;
    const std::string examples = WindowsPathOf(QUILLORA_EXAMPLES_DIR);
    ScratchFolder::Write(site / "template.html", ScratchFolder::Read(examples + "\\template.html"));
    ScratchFolder::Write(site / "index.html", ScratchFolder::Read(examples + "\\site\\index.html"));
    const std::string text = WithWindowsLineBreaks(ScratchFolder::Read(examples + "\\first-issue.txt"));
    ASSERT_FALSE(text.empty());
    Settings settings;
    Settings::PutDword("Terms", 1);

    Program program;
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);

    // Select: the template through the open dialog.
    PostClick(GetDlgItem(window, Id::kSelectButton));
    HWND open = WaitForDialog(program.Id(), "Select your template file", [](HWND dialog) { return !IsMessageBox(dialog); });
    ASSERT_NE(open, nullptr) << "no open dialog";
    SetDlgItemTextA(open, 0x47C, (site / "template.html").c_str());
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return DialogItemText(window, Id::kTemplateName) == "template.html"; }));
    EXPECT_EQ(Settings::Text("InitDir"), site.Path().string());

    SendMessageA(GetDlgItem(window, Id::kArticleTitle), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Doors open on Saturdays"));
    SendMessageA(GetDlgItem(window, Id::kArticleText), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_TRUE(SaveScreenshot(window, WindowsPathOf(QUILLORA_SCREENSHOT_FILE)));

    // Create: the save dialog proposes the page's name; the success message follows.
    PostClick(GetDlgItem(window, Id::kCreateButton));
    HWND save = WaitForDialog(program.Id(), "Select where to save your new web page", [](HWND dialog) { return !IsMessageBox(dialog); });
    ASSERT_NE(save, nullptr) << "no save dialog";
    EXPECT_EQ(DialogItemText(save, 0x47C), "article0001.html");
    SetDlgItemTextA(save, 0x47C, (site / "article0001.html").c_str());
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    HWND done = program.MessageBoxWith("File \"article0001.html\" has been created");
    ASSERT_NE(done, nullptr) << "no success message";
    EXPECT_EQ(WindowText(done), "Quillora");
    PostClick(GetDlgItem(done, IDOK));

    EXPECT_TRUE(WaitUntil([&] { return DialogItemText(window, Id::kArticleNumber) == "2"; }));
    EXPECT_EQ(DialogItemText(window, Id::kArticleTitle), "");
    EXPECT_EQ(DialogItemText(window, Id::kArticleText), "");
    PostKey(GetDlgItem(window, Id::kArticleTitle), VK_ESCAPE);
    EXPECT_EQ(program.WaitForExit(), 0u);

    const std::string page = ScratchFolder::Read(site / "article0001.html");
    EXPECT_NE(page.find("<h1>Doors open on Saturdays</h1>"), std::string::npos);
    EXPECT_NE(page.find("<a href=\"http://lantern-street.example/tools\" target=\"_blank\">"), std::string::npos);
    EXPECT_EQ(page.find("INSERT"), std::string::npos);
    const std::string index = ScratchFolder::Read(site / "index.html");
    EXPECT_NE(index.find("<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0001.html\">1. Doors open on Saturdays</a><br><br>"),
              std::string::npos);
    EXPECT_EQ(Settings::Dword("Counter"), 1u);
    EXPECT_EQ(Settings::Text("Template"), site / "template.html");
    EXPECT_EQ(Settings::Text("SaveDir"), site.Path().string() + "\\");
}

// --- A branded copy ---

TEST(ProgramBranding, BrandedCopyShowsTheResellersTitleAndKeepsTheSettingsHome) {
    ScratchFolder folder;
    std::string program = ScratchFolder::Read(ProgramFile());
    const auto signature = BrandingRecord::Signature();
    const std::size_t record = program.find(std::string(signature.begin(), signature.end()));
    ASSERT_NE(record, std::string::npos);
    // What the branding tool does: clear the flag and write each text, with its NUL, in place.
    for (std::size_t i = 0; i < 4; ++i) program[record + BrandingRecord::kUnbrandedFlag + i] = '\0';
    auto put = [&](std::size_t offset, const std::string& text) { program.replace(record + offset, text.size() + 1, text.c_str(), text.size() + 1); };
    put(BrandingRecord::kWindowTitle, "Acme Pages");
    put(BrandingRecord::kResellerName, "Acme Reseller");
    put(BrandingRecord::kResellerAddress, "http://acme.example/");
    const std::string copy = folder / "acme.exe";
    ScratchFolder::Write(copy, program);

    Settings settings;
    Program branded(copy);
    HWND box = branded.TermsPrompt("Acme Pages");
    ASSERT_NE(box, nullptr) << "no terms prompt captioned with the reseller's title";
    PostClick(GetDlgItem(box, IDYES));
    HWND window = branded.MainWindow("Acme Pages");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Settings::Dword("Terms"), 1u);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(branded.WaitForExit(), 0u);
}

}  // namespace
}  // namespace quillora
