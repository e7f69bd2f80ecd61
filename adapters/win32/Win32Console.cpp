#include "adapters/win32/Win32Console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace quillora {

std::string Win32Console::WorkingFolder() {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : ".";
}

void Win32Console::UseBinaryStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace quillora
