// quillora-brand: shows and changes the reseller's branding in a copy of Quillora.
#include <iostream>
#include <string>
#include <vector>

#include "adapters/posix/PosixFileSystem.h"
#include "cli/brand/BrandCommand.h"
#include "adapters/posix/PosixFilePermissions.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillora::PosixFileSystem files;
    quillora::PosixFilePermissions permissions;
    quillora::BrandPlatform platform{files, permissions, std::cout, std::cerr};
    return quillora::RunBrandCommand(arguments, platform);
}
