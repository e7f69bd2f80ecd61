#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileDialogs.h"

namespace quillora::testing {

// Answers each file dialog with the next queued path, or cancels it when the queue holds a
// cancel or is empty. Every request is recorded with its kind.
class FakeFileDialogs : public FileDialogs {
public:
    enum class Kind { Open, Save };
    struct Call {
        Kind kind;
        FileDialogRequest request;
    };

    void Choose(std::string path) { answers.emplace_back(std::move(path)); }
    void Cancel() { answers.emplace_back(std::nullopt); }

    bool ShowOpen(const FileDialogRequest& request, std::string& chosen) override {
        return Answer(Kind::Open, request, chosen);
    }
    bool ShowSave(const FileDialogRequest& request, std::string& chosen) override {
        return Answer(Kind::Save, request, chosen);
    }

    std::vector<Call> calls;
    std::deque<std::optional<std::string>> answers;

private:
    bool Answer(Kind kind, const FileDialogRequest& request, std::string& chosen) {
        calls.push_back({kind, request});
        if (answers.empty()) return false;
        std::optional<std::string> answer = std::move(answers.front());
        answers.pop_front();
        if (!answer) return false;
        chosen = *answer;
        return true;
    }
};

}  // namespace quillora::testing
