// quillora-create for Windows: the Create command from a script or the command prompt.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "adapters/win32/Win32Clock.h"
#include "adapters/win32/Win32CodePage.h"
#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32Registry.h"
#include "cli/create/CreateCommand.h"

int main(int argc, char** argv) {
    // Texts are bytes in the system's ANSI code page, as the arguments arrive.
    quillora::CodePage::SetActive(quillora::Win32CodePage::OfSystem());
    // Byte for byte in and out: a text read from standard input keeps its line breaks, and
    // the messages end their lines as they do everywhere else.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    std::vector<std::string> arguments(argv + 1, argv + argc);
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    std::string workingFolder = length > 0 && length < sizeof folder ? std::string(folder, length) : ".";

    quillora::Win32FileSystem files;
    quillora::Win32Registry registry;
    quillora::Win32Clock clock;
    quillora::CreatePlatform platform{files, registry, clock, std::cin, std::cout, std::cerr, workingFolder};
    return quillora::RunCreateCommand(arguments, platform);
}
