#pragma once

#include <filesystem>
#include <string>

namespace quillora::testing {

// The platform's folder separator, for paths that a test puts together itself.
inline constexpr char kSep = static_cast<char>(std::filesystem::path::preferred_separator);

// A path written with '/' between its parts, in the platform's own form.
inline std::string PlatformPath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = kSep;
    }
    return path;
}

}  // namespace quillora::testing
