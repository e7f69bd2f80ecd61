#pragma once

#include <string>

namespace quillora::testing {

// A path of the build machine as this Windows program sees it: under Wine the build machine's
// root is drive Z.
inline std::string WindowsPathOf(std::string path) {
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// The built quillora.exe.
inline std::string ProgramFile() { return WindowsPathOf(QUILLORA_PROGRAM_FILE); }

}  // namespace quillora::testing
