#pragma once

#include "platform/Shell.h"

namespace quillora {

// ShellExecuteA with the default verb of the file's type: above 32 the shell accepted it.
class Win32Shell : public Shell {
public:
    int OpenWithDefaultProgram(const std::string& path) override;
};

}  // namespace quillora
