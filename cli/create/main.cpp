// quillora-create: the Create command from a script, without a desktop.
#include <unistd.h>

#include <climits>
#include <iostream>
#include <string>
#include <vector>

#include "cli/create/CreateCommand.h"
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/SystemClock.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    char folder[PATH_MAX];
    std::string workingFolder = getcwd(folder, sizeof folder) != nullptr ? folder : ".";

    quillora::PosixFileSystem files;
    quillora::HiveRegistry registry(files, quillora::HiveRegistry::DefaultFolder());
    quillora::SystemClock clock;
    quillora::CreatePlatform platform{files, registry, clock, std::cin, std::cout, std::cerr, workingFolder};
    return quillora::RunCreateCommand(arguments, platform);
}
