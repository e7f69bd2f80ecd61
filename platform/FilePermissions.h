#pragma once

#include <string>

namespace quillora {

// The permissions that a copy of a program takes from its original, where the system keeps
// them with the file: the read, write and execute bits on Linux. Windows keeps none that a
// copy needs, so there it does nothing and succeeds.
class FilePermissions {
public:
    virtual ~FilePermissions() = default;
    // Gives the file at to the permissions of the file at from.
    virtual bool Copy(const std::string& from, const std::string& to) = 0;
};

}  // namespace quillora
