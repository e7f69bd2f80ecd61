#pragma once

#include <sys/stat.h>

#include "platform/FilePermissions.h"

namespace quillora {

// The read, write and execute bits of the mode; set-user-ID and the like are never copied.
class PosixFilePermissions : public FilePermissions {
public:
    bool Copy(const std::string& from, const std::string& to) override {
        struct stat original {};
        return ::stat(from.c_str(), &original) == 0 && ::chmod(to.c_str(), original.st_mode & 0777) == 0;
    }
};

}  // namespace quillora
