#pragma once

#include <windows.h>

#include "platform/MessageBoxes.h"

namespace quillora {

class Win32DialogHost;

// MessageBoxA, owned by the dialog window while it runs (none before: the box then stands alone).
class Win32MessageBoxes : public MessageBoxes {
public:
    explicit Win32MessageBoxes(const Win32DialogHost* owner) : owner_(owner) {}

    MessageAnswer Show(const MessageRequest& request) override;

    // The MessageBoxA style of a request: its icon, its buttons and its default button.
    static UINT StyleOf(const MessageRequest& request);
    // The answer for MessageBoxA's result: OK for a box with OK alone; for a box that could not be
    // shown, the answer that Esc would give.
    static MessageAnswer AnswerOf(int result, MessageButtons buttons);

private:
    const Win32DialogHost* owner_;
};

}  // namespace quillora
