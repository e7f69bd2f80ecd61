#pragma once

#include "engine/TextBuffer.h"
#include "platform/MessageBoxes.h"

namespace quillora {

// Every message box of the program goes through here: the caption is the application name of
// the moment, and a box that asks for no icon gets the exclamation icon.
class Messages {
public:
    Messages(MessageBoxes& boxes, const TextBuffer& caption) : boxes_(boxes), caption_(caption) {}

    MessageAnswer Show(const TextBuffer& text, MessageIcon icon, MessageButtons buttons, int defaultButton = 0);
    void ShowError(const TextBuffer& text) { Show(text, MessageIcon::Error, MessageButtons::Ok); }
    void ShowInformation(const TextBuffer& text) { Show(text, MessageIcon::Information, MessageButtons::Ok); }

private:
    MessageBoxes& boxes_;
    const TextBuffer& caption_;
};

}  // namespace quillora
