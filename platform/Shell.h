#pragma once

#include <string>

namespace quillora {

// The desktop's "open this file with the program the user chose for its type".
class Shell {
public:
    // What an open returns: above kRefusedAtMost means the desktop accepted the file.
    static constexpr int kRefusedAtMost = 32;
    static constexpr int kAccepted = 42;
    static constexpr int kNoProgram = 31;  // nothing is registered for the file's type

    static bool Accepted(int result) { return result > kRefusedAtMost; }

    virtual ~Shell() = default;
    // Hands a local file, given by its full path in bytes, to its default program and
    // returns without waiting for that program.
    virtual int OpenWithDefaultProgram(const std::string& path) = 0;
};

}  // namespace quillora
