#include "adapters/win32/Win32Shell.h"

#include <windows.h>
#include <shellapi.h>

namespace quillora {

int Win32Shell::OpenWithDefaultProgram(const std::string& path) {
    HINSTANCE result = ShellExecuteA(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

}  // namespace quillora
