#pragma once

#include <deque>
#include <vector>

#include "platform/MessageBoxes.h"

namespace quillora::testing {

// Records every message box and answers with the queued answers, then with the first button.
class FakeMessageBoxes : public MessageBoxes {
public:
    MessageAnswer Show(const MessageRequest& request) override {
        shown.push_back(request);
        if (!answers.empty()) {
            MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        switch (request.buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
        default: return MessageAnswer::Ok;
        }
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& request : shown) texts.push_back(request.text);
        return texts;
    }

    std::vector<MessageRequest> shown;
    std::deque<MessageAnswer> answers;
};

}  // namespace quillora::testing
