#pragma once

#include <string>
#include <string_view>

namespace quillora {

// The two results a dialog ends with, and the commands that Enter and Esc send.
enum class DialogResult { Ok, Cancel };
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// What the host calls back while it runs a dialog.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // Once, before the dialog is first shown. True asks the host to put the keyboard focus on
    // the first tab stop.
    virtual bool InitialiseWindow() = 0;
    // A click on a control (its id), or kIdOk / kIdCancel from the keyboard or the close box.
    virtual void OnCommand(int id) = 0;
};

// A modal dialog built from a window template, seen through its controls' ids. Texts are bytes
// in the local 8-bit encoding; line breaks of multi-line fields are "\r\n".
class DialogHost {
public:
    virtual ~DialogHost() = default;

    // Initialises the dialog through the handler, shows it and returns when it has ended.
    // A dialog ended during its initialisation is never shown.
    virtual DialogResult RunModal(DialogHandler& handler) = 0;
    virtual void EndDialog(DialogResult result) = 0;

    virtual std::string Text(int id) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    // 0 cleared, 1 checked, 2 indeterminate.
    virtual int CheckState(int id) = 0;
    virtual void SetCheckState(int id, int state) = 0;

    virtual void SetCaption(const std::string& caption) = 0;
    // The window icon, as the bytes of an .ico file; the host picks the sizes it needs.
    virtual void SetIcons(std::string_view iconFile) = 0;
    // A push button shows this picture, the bytes of a .bmp file, instead of its text; a
    // picture that cannot be read leaves the button blank.
    virtual void SetButtonFace(int id, std::string_view bitmapFile) = 0;

    virtual void SetFocus(int id) = 0;
    // Selects the whole text of an edit field.
    virtual void SelectAllText(int id) = 0;
    virtual void ScrollCaretIntoView(int id) = 0;
    // Replaces the edit field's selection with the clipboard's text, when it holds text.
    virtual void Paste(int id) = 0;
};

}  // namespace quillora
