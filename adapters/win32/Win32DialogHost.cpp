#include "adapters/win32/Win32DialogHost.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillora {
namespace {

std::uint32_t Word32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

std::uint16_t Word16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8);
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

}  // namespace

HBITMAP BitmapFromFile(std::string_view file) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') return nullptr;
    const std::uint32_t bitsAt = Word32(file, 10);
    const std::uint32_t headerSize = Word32(file, kFileHeaderSize);
    if (headerSize < kInfoHeaderSize || headerSize > file.size() - kFileHeaderSize) return nullptr;

    BITMAPINFOHEADER header;
    std::memcpy(&header, file.data() + kFileHeaderSize, sizeof header);
    const int bitCount = header.biBitCount;
    const bool knownDepth = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (!knownDepth || header.biPlanes != 1 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biWidth > 0x7FFF || header.biHeight == 0 || std::abs(header.biHeight) > 0x7FFF) {
        return nullptr;
    }
    std::size_t colours = header.biClrUsed != 0 ? header.biClrUsed : bitCount <= 8 ? std::size_t{1} << bitCount : 0;
    if (colours > 256) return nullptr;
    const std::size_t infoSize = headerSize + colours * sizeof(RGBQUAD);
    const std::size_t stride = (static_cast<std::size_t>(header.biWidth) * bitCount + 31) / 32 * 4;
    const std::size_t bitsSize = stride * static_cast<std::size_t>(std::abs(header.biHeight));
    if (kFileHeaderSize + infoSize > bitsAt || bitsAt > file.size() || bitsSize > file.size() - bitsAt) return nullptr;

    // The header and palette copied to memory of their own, aligned as BITMAPINFO wants.
    std::vector<std::uint32_t> info((infoSize + 3) / 4);
    std::memcpy(info.data(), file.data() + kFileHeaderSize, infoSize);
    const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &bitmapInfo->bmiHeader, CBM_INIT, file.data() + bitsAt, bitmapInfo, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

HICON IconFromFile(std::string_view file, int size) {
    constexpr std::size_t kDirectorySize = 6;
    constexpr std::size_t kEntrySize = 16;
    if (file.size() < kDirectorySize || Word16(file, 0) != 0 || Word16(file, 2) != 1) return nullptr;
    const std::size_t count = Word16(file, 4);
    if (file.size() < kDirectorySize + count * kEntrySize) return nullptr;

    std::size_t best = count;
    int bestDistance = 0;
    int bestDepth = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirectorySize + i * kEntrySize;
        const int width = static_cast<unsigned char>(file[entry]) == 0 ? 256 : static_cast<unsigned char>(file[entry]);
        const std::uint32_t length = Word32(file, entry + 8);
        const std::uint32_t at = Word32(file, entry + 12);
        if (at > file.size() || length > file.size() - at || length < kInfoHeaderSize) continue;
        const int depth = Word16(file, entry + 6);
        const int distance = std::abs(width - size);
        if (best == count || distance < bestDistance || (distance == bestDistance && depth > bestDepth)) {
            best = i;
            bestDistance = distance;
            bestDepth = depth;
        }
    }
    if (best == count) return nullptr;
    const std::size_t entry = kDirectorySize + best * kEntrySize;
    const std::uint32_t length = Word32(file, entry + 8);
    const std::uint32_t at = Word32(file, entry + 12);
    std::vector<BYTE> image(file.begin() + at, file.begin() + at + length);
    return CreateIconFromResourceEx(image.data(), length, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
}

Win32DialogHost::Win32DialogHost(HINSTANCE module, const WindowTemplate& window)
    : module_(module), templateId_(window.id) {}

Win32DialogHost::~Win32DialogHost() { ReleasePictures(); }

DialogResult Win32DialogHost::RunModal(DialogHandler& handler) {
    handler_ = &handler;
    ended_ = false;
    result_ = DialogResult::Cancel;
    whiteBrush_ = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
    INT_PTR ended = DialogBoxParamA(module_, MAKEINTRESOURCEA(templateId_), nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    dialog_ = nullptr;
    handler_ = nullptr;
    ReleasePictures();
    if (ended == IDOK) result_ = DialogResult::Ok;
    return result_;
}

void Win32DialogHost::EndDialog(DialogResult result) {
    ended_ = true;
    result_ = result;
    if (dialog_ != nullptr) ::EndDialog(dialog_, result == DialogResult::Ok ? IDOK : IDCANCEL);
}

INT_PTR CALLBACK Win32DialogHost::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<Win32DialogHost*>(lParam)->dialog_ = dialog;
    }
    auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return host != nullptr && host->dialog_ == dialog ? host->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR Win32DialogHost::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // TRUE lets the dialog manager put the focus on the first tab stop as the window shows.
        bool focusFirst = handler_->InitialiseWindow();
        return focusFirst && !ended_ ? TRUE : FALSE;
    }
    case WM_COMMAND:
        // Clicks of buttons and of the notifying picture (STN_CLICKED is BN_CLICKED), and IDOK and
        // IDCANCEL from the keyboard and the close box; the fields' notifications are not wanted.
        if (HIWORD(wParam) == BN_CLICKED) {
            handler_->OnCommand(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(whiteBrush_);
    case WM_WINDOWPOSCHANGING:
        // A dialog ended during its initialisation stays hidden, even where the dialog manager
        // would show it for a moment before destroying it.
        if (ended_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
        return FALSE;
    case WM_HELP:
        SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_PAINT:
        if (!IsIconic(dialog_)) return FALSE;
        PaintMinimised();
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(bigIcon_);
    default:
        return FALSE;
    }
}

// The icon in the middle of the minimised window, on the background the icon erasing gives.
void Win32DialogHost::PaintMinimised() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog_, &paint);
    SendMessageA(dialog_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog_, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    if (bigIcon_ != nullptr) DrawIcon(dc, x, y, bigIcon_);
    EndPaint(dialog_, &paint);
}

std::string Win32DialogHost::Text(int id) {
    HWND control = Control(id);
    if (control == nullptr) return std::string();
    // The length may count more bytes than the text has (double-byte code pages); never fewer.
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    int copied = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

void Win32DialogHost::SetText(int id, const std::string& text) {
    if (HWND control = Control(id)) SetWindowTextA(control, text.c_str());
}

int Win32DialogHost::CheckState(int id) {
    HWND control = Control(id);
    return control == nullptr ? 0 : static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
}

void Win32DialogHost::SetCheckState(int id, int state) {
    if (HWND control = Control(id)) SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void Win32DialogHost::SetCaption(const std::string& caption) {
    if (dialog_ != nullptr) SetWindowTextA(dialog_, caption.c_str());
}

void Win32DialogHost::SetIcons(std::string_view iconFile) {
    HICON big = IconFromFile(iconFile, GetSystemMetrics(SM_CXICON));
    HICON small = IconFromFile(iconFile, GetSystemMetrics(SM_CXSMICON));
    if (dialog_ != nullptr) {
        SendMessageA(dialog_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        SendMessageA(dialog_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
    bigIcon_ = big;
    smallIcon_ = small;
}

void Win32DialogHost::SetButtonFace(int id, std::string_view bitmapFile) {
    HWND button = Control(id);
    if (button == nullptr) return;
    HBITMAP face = BitmapFromFile(bitmapFile);
    SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
    HBITMAP& held = faces_[id];
    if (held != nullptr) DeleteObject(held);
    held = face;
}

void Win32DialogHost::SetFocus(int id) {
    // Through the dialog manager, which also moves the default-button look with the focus.
    if (HWND control = Control(id)) SendMessageA(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Win32DialogHost::SelectAllText(int id) {
    if (HWND control = Control(id)) SendMessageA(control, EM_SETSEL, 0, -1);
}

void Win32DialogHost::ScrollCaretIntoView(int id) {
    if (HWND control = Control(id)) SendMessageA(control, EM_SCROLLCARET, 0, 0);
}

void Win32DialogHost::Paste(int id) {
    if (HWND control = Control(id)) SendMessageA(control, WM_PASTE, 0, 0);
}

HWND Win32DialogHost::Control(int id) const { return dialog_ == nullptr ? nullptr : GetDlgItem(dialog_, id); }

// After the dialog is gone: the brush, the faces and the icons it showed.
void Win32DialogHost::ReleasePictures() {
    if (whiteBrush_ != nullptr) DeleteObject(whiteBrush_);
    whiteBrush_ = nullptr;
    for (auto& [id, face] : faces_) {
        if (face != nullptr) DeleteObject(face);
    }
    faces_.clear();
    if (bigIcon_ != nullptr) DestroyIcon(bigIcon_);
    if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
    bigIcon_ = nullptr;
    smallIcon_ = nullptr;
}

}  // namespace quillora
