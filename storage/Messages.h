#pragma once

#include <utility>

#include "engine/TextBuffer.h"
#include "platform/MessageBoxes.h"

namespace quillora {

// Every message box of the program goes through here: the caption is the application name of
// the moment, and a box that asks for no icon gets the exclamation icon.
class Messages {
public:
    Messages(MessageBoxes& boxes, TextBuffer caption) : boxes_(boxes), caption_(std::move(caption)) {}

    // The caption of every box from now on.
    void SetCaption(TextBuffer caption) { caption_ = std::move(caption); }

    MessageAnswer Show(const TextBuffer& text, MessageIcon icon, MessageButtons buttons, int defaultButton = 0);
    void ShowError(const TextBuffer& text) { Show(text, MessageIcon::Error, MessageButtons::Ok); }
    void ShowInformation(const TextBuffer& text) { Show(text, MessageIcon::Information, MessageButtons::Ok); }

private:
    MessageBoxes& boxes_;
    TextBuffer caption_;
};

}  // namespace quillora
