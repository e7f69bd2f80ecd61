#pragma once

#include <map>
#include <string>
#include <string_view>

#include <windows.h>

#include "platform/DialogHost.h"
#include "platform/DialogTemplate.h"

namespace quillora {

// The dialog host on the Win32 dialog manager: runs the window template of the same id from the
// program's resources (a DIALOGEX written from the template data) with DialogBoxParamA.
//
// The dialog manager gives the keyboard behaviour: Tab follows the template order; Enter clicks a
// focused push button, starts a new line in the multi-line field (ES_WANTRETURN) and sends IDOK
// anywhere else, since the template has no default push button; Esc, the close box and Alt+F4
// send IDCANCEL. Every colour request is answered with a white brush, F1 does nothing, and a
// minimised window paints its icon.
class Win32DialogHost : public DialogHost {
public:
    Win32DialogHost(HINSTANCE module, const WindowTemplate& window);
    ~Win32DialogHost() override;
    Win32DialogHost(const Win32DialogHost&) = delete;
    Win32DialogHost& operator=(const Win32DialogHost&) = delete;

    DialogResult RunModal(DialogHandler& handler) override;
    void EndDialog(DialogResult result) override;

    std::string Text(int id) override;
    void SetText(int id, const std::string& text) override;
    int CheckState(int id) override;
    void SetCheckState(int id, int state) override;
    void SetCaption(const std::string& caption) override;
    void SetIcons(std::string_view iconFile) override;
    void SetButtonFace(int id, std::string_view bitmapFile) override;
    void SetFocus(int id) override;
    void SelectAllText(int id) override;
    void ScrollCaretIntoView(int id) override;
    void Paste(int id) override;

    // The dialog window while RunModal runs it, from WM_INITDIALOG on; null otherwise. Message
    // boxes and file dialogs are owned by it.
    HWND Window() const { return dialog_; }
    // The brush that answers every colour request while the dialog runs.
    HBRUSH WhiteBrush() const { return whiteBrush_; }
    // The icons given by SetIcons: the standard size (caption, minimised window) and the small one.
    HICON BigIcon() const { return bigIcon_; }
    HICON SmallIcon() const { return smallIcon_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void PaintMinimised();
    HWND Control(int id) const;
    void ReleasePictures();

    HINSTANCE module_;
    int templateId_;
    HWND dialog_ = nullptr;
    DialogHandler* handler_ = nullptr;
    HBRUSH whiteBrush_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    std::map<int, HBITMAP> faces_;
    bool ended_ = false;
    DialogResult result_ = DialogResult::Cancel;
};

// Pictures from the bytes of their files, for the host and its tests. Both give null for bytes
// that do not hold a picture of the expected kind.

// An uncompressed .bmp file (1 to 32 bits per pixel) as a device-dependent bitmap.
HBITMAP BitmapFromFile(std::string_view bitmapFile);
// The image of an .ico file whose size is closest to size pixels square, at the most colours.
HICON IconFromFile(std::string_view iconFile, int size);

}  // namespace quillora
