#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace quillora {

// What quillora-create reaches of the system.
struct CreatePlatform {
    FileSystem& files;
    Registry& registry;
    Clock& clock;
    std::istream& input;
    std::ostream& output;
    std::ostream& errors;
    std::string workingFolder;  // for relative paths
};

// Runs the Create command once with the fields and the save dialog answered from the
// arguments (without the program name). Exit status: 0 created, 1 not created, 2 bad usage.
int RunCreateCommand(const std::vector<std::string>& arguments, CreatePlatform& platform);

}  // namespace quillora
