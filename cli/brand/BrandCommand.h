#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/FilePermissions.h"
#include "platform/FileSystem.h"

namespace quillora {

// What quillora-brand reaches of the system. Paths are used as given, relative to the
// working folder.
struct BrandPlatform {
    FileSystem& files;
    FilePermissions& permissions;
    std::ostream& output;
    std::ostream& errors;
};

// Runs quillora-brand once with the arguments (without the program name), given in UTF-8.
// Exit status: 0 done, 1 refused or failed with nothing written, 2 bad usage.
int RunBrandCommand(const std::vector<std::string>& arguments, BrandPlatform& platform);

}  // namespace quillora
