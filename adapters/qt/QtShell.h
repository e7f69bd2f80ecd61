#pragma once

#include "platform/Shell.h"

namespace quillora {

class QtShell : public Shell {
public:
    int OpenWithDefaultProgram(const std::string& path) override;
};

}  // namespace quillora
