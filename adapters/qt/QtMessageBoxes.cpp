#include "adapters/qt/QtMessageBoxes.h"

#include <utility>
#include <vector>

#include <QMessageBox>
#include <QWidget>

#include "adapters/qt/LocalText.h"

namespace quillora {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

std::vector<std::pair<QMessageBox::StandardButton, MessageAnswer>> ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok: return {{QMessageBox::Ok, MessageAnswer::Ok}};
    case MessageButtons::OkCancel: return {{QMessageBox::Ok, MessageAnswer::Ok}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo: return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MessageAnswer::Ok}};
}

}  // namespace

MessageAnswer QtMessageBoxes::Show(const MessageRequest& request) {
    // Over the owner window once it is shown; before that (the terms of use) in the middle of the screen.
    QMessageBox box(owner_ != nullptr && owner_->isVisible() ? owner_ : nullptr);
    box.setWindowTitle(FromLocal(request.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromLocal(request.text));
    box.setIcon(IconOf(request.icon));

    const auto buttons = ButtonsOf(request.buttons);
    QMessageBox::StandardButtons standard;
    for (const auto& button : buttons) standard |= button.first;
    box.setStandardButtons(standard);
    std::size_t defaultIndex = request.defaultButton >= 0 && static_cast<std::size_t>(request.defaultButton) < buttons.size()
                                   ? static_cast<std::size_t>(request.defaultButton)
                                   : 0;
    box.setDefaultButton(buttons[defaultIndex].first);

    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const auto& button : buttons) {
        if (button.first == clicked) return button.second;
    }
    // Closed without a button: the answer of the box's escape button, as the desktop gives it.
    return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok
           : request.buttons == MessageButtons::YesNo ? MessageAnswer::No
                                                      : MessageAnswer::Cancel;
}

}  // namespace quillora
