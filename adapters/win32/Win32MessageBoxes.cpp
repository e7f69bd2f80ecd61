#include "adapters/win32/Win32MessageBoxes.h"

#include "adapters/win32/Win32DialogHost.h"

namespace quillora {

UINT Win32MessageBoxes::StyleOf(const MessageRequest& request) {
    UINT style = MB_OK;
    switch (request.buttons) {
    case MessageButtons::Ok: style = MB_OK; break;
    case MessageButtons::OkCancel: style = MB_OKCANCEL; break;
    case MessageButtons::YesNo: style = MB_YESNO; break;
    case MessageButtons::YesNoCancel: style = MB_YESNOCANCEL; break;
    }
    switch (request.icon) {
    case MessageIcon::None: break;
    case MessageIcon::Error: style |= MB_ICONERROR; break;
    case MessageIcon::Information: style |= MB_ICONINFORMATION; break;
    case MessageIcon::Question: style |= MB_ICONQUESTION; break;
    case MessageIcon::Warning: style |= MB_ICONEXCLAMATION; break;
    }
    const int buttonCount = request.buttons == MessageButtons::Ok            ? 1
                            : request.buttons == MessageButtons::YesNoCancel ? 3
                                                                             : 2;
    if (request.defaultButton == 1 && buttonCount >= 2) style |= MB_DEFBUTTON2;
    if (request.defaultButton == 2 && buttonCount >= 3) style |= MB_DEFBUTTON3;
    return style;
}

MessageAnswer Win32MessageBoxes::AnswerOf(int result, MessageButtons buttons) {
    // A box with OK alone has one answer, however it was closed.
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    switch (result) {
    case IDOK: return MessageAnswer::Ok;
    case IDCANCEL: return MessageAnswer::Cancel;
    case IDYES: return MessageAnswer::Yes;
    case IDNO: return MessageAnswer::No;
    default: break;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
}

MessageAnswer Win32MessageBoxes::Show(const MessageRequest& request) {
    HWND owner = owner_ != nullptr ? owner_->Window() : nullptr;
    int result = MessageBoxA(owner, request.text.c_str(), request.caption.c_str(), StyleOf(request));
    return AnswerOf(result, request.buttons);
}

}  // namespace quillora
