#pragma once

// Helpers for tests that play the user of a Win32 window from a second thread or a second
// process: finding windows, keys as the dialog manager sees them, clicks by message, pixels.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace quillora::testing {

using namespace std::chrono_literals;

// Polls until ready() holds or the time is up; the last answer of ready().
inline bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end) return ready();
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A window's text by message, which also reads an edit field of another process.
inline std::string WindowText(HWND window) {
    std::string text(static_cast<std::size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    const LRESULT copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    DWORD processId;
    const char* caption;
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window) && ClassOf(window) == "#32770" &&
        (search.caption == nullptr || WindowText(window) == search.caption)) {
        search.found.push_back(window);
    }
    return TRUE;
}

// Visible top-level dialogs (class #32770) of a process, optionally only those with a caption.
inline std::vector<HWND> VisibleDialogs(DWORD processId, const char* caption = nullptr) {
    DialogSearch search{processId, caption, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box is a dialog with the static text of id 0xFFFF.
inline bool IsMessageBox(HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr; }

// The first visible dialog of the process that has the caption and passes the check.
inline HWND WaitForDialog(DWORD processId, const char* caption, const std::function<bool(HWND)>& check,
                          std::chrono::milliseconds limit = 20s) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND dialog : VisibleDialogs(processId, caption)) {
                if (check(dialog)) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        limit);
    return found;
}

inline std::string DialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item == nullptr ? std::string() : WindowText(item);
}

// The window that has the keyboard focus in the thread that runs window.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// The focused control of a dialog as the user finds it on coming back to the window: another
// program that starts meanwhile (other tests run beside these) may have taken the activation, and
// activating the dialog again gives the focus back to the control that had it.
inline HWND FocusOnReturn(HWND dialog) {
    HWND focus = FocusOf(dialog);
    if (focus != nullptr) return focus;
    SetForegroundWindow(dialog);
    WaitUntil([&] { return FocusOf(dialog) != nullptr; }, 5s);
    return FocusOf(dialog);
}

// A key press as the keyboard posts it to the focused window: the dialog manager's loop sees it
// in IsDialogMessage, and TranslateMessage makes its character.
inline void PostKey(HWND focused, UINT key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(focused, WM_KEYDOWN, key, scan | 1);
    PostMessageA(focused, WM_KEYUP, key, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

// A key pressed and released on the keyboard, for the foreground window.
inline void PressKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = key;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// A click that returns at once, so that a nested modal dialog it opens does not block the caller.
inline void PostClick(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

// The pixel at a point of a window's client area, as the window last painted it.
inline COLORREF ClientPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// A control's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Text on the clipboard, or an empty clipboard when text is null.
inline bool PutOnClipboard(const char* text) {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 5s)) return false;
    EmptyClipboard();
    bool put = true;
    if (text != nullptr) {
        const std::size_t size = std::char_traits<char>::length(text) + 1;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
        put = memory != nullptr;
        if (put) {
            std::char_traits<char>::copy(static_cast<char*>(GlobalLock(memory)), text, size);
            GlobalUnlock(memory);
            put = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
    }
    CloseClipboard();
    return put;
}

// The folder of the running test program, with its trailing backslash.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace quillora::testing
