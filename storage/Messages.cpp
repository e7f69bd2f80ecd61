#include "storage/Messages.h"

namespace quillora {

MessageAnswer Messages::Show(const TextBuffer& text, MessageIcon icon, MessageButtons buttons, int defaultButton) {
    MessageRequest request;
    request.text = std::string(text.Bytes());
    request.caption = std::string(caption_.Bytes());
    request.icon = icon == MessageIcon::None ? MessageIcon::Warning : icon;
    request.buttons = buttons;
    request.defaultButton = defaultButton;
    return boxes_.Show(request);
}

}  // namespace quillora
