#pragma once

#include "platform/MessageBoxes.h"

class QWidget;

namespace quillora {

// Message boxes as QMessageBox, modal over their owner window.
class QtMessageBoxes : public MessageBoxes {
public:
    // owner: the window that owns every box; it may be hidden.
    explicit QtMessageBoxes(QWidget* owner) : owner_(owner) {}

    MessageAnswer Show(const MessageRequest& request) override;

private:
    QWidget* owner_;
};

}  // namespace quillora
