// quillora-create for Windows: the Create command from a script or the command prompt.
#include <iostream>
#include <string>
#include <vector>

#include "adapters/win32/Win32Clock.h"
#include "adapters/win32/Win32CodePage.h"
#include "adapters/win32/Win32Console.h"
#include "adapters/win32/Win32FileSystem.h"
#include "adapters/win32/Win32Registry.h"
#include "cli/create/CreateCommand.h"

int main(int argc, char** argv) {
    // Texts are bytes in the system's ANSI code page, as the arguments arrive.
    quillora::CodePage::SetActive(quillora::Win32CodePage::OfSystem());
    // Byte for byte in and out: a text read from standard input keeps its line breaks, and
    // the messages end their lines as they do everywhere else.
    quillora::Win32Console::UseBinaryStreams();

    std::vector<std::string> arguments(argv + 1, argv + argc);
    quillora::Win32FileSystem files;
    quillora::Win32Registry registry;
    quillora::Win32Clock clock;
    quillora::CreatePlatform platform{files, registry, clock, std::cin, std::cout, std::cerr,
                                      quillora::Win32Console::WorkingFolder()};
    return quillora::RunCreateCommand(arguments, platform);
}
