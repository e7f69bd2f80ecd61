#pragma once

#include <string>

namespace quillora {

enum class MessageIcon { None, Error, Information, Question, Warning };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 0;  // zero-based index into the buttons
};

// Modal message boxes owned by the main window. Texts are in the local 8-bit encoding.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer Show(const MessageRequest& request) = 0;
};

}  // namespace quillora
