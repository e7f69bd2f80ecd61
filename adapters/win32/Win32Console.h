#pragma once

#include <string>

namespace quillora {

// What a console program on Windows takes from its process: the working folder, and standard
// streams that pass bytes through unchanged.
class Win32Console {
public:
    // The current folder in the ANSI code page, as the file calls take it; "." when it cannot be had.
    static std::string WorkingFolder();
    // Standard input, output and error without the C runtime's CR LF and Ctrl+Z translation.
    static void UseBinaryStreams();
};

}  // namespace quillora
