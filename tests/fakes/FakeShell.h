#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace quillora::testing {

// Records every file handed to the desktop and answers with result (accepted unless changed).
class FakeShell : public Shell {
public:
    int OpenWithDefaultProgram(const std::string& path) override {
        opened.push_back(path);
        return result;
    }

    std::vector<std::string> opened;
    int result = kAccepted;
};

}  // namespace quillora::testing
