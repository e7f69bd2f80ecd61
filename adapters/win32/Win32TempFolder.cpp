#include "adapters/win32/Win32TempFolder.h"

#include <windows.h>

namespace quillora {

std::string Win32TempFolder::Folder() {
    char buffer[kBufferSize] = {};
    const unsigned long length = QueryTempPath(kBufferSize, buffer);
    if (length == 0 || length >= kBufferSize) return kFallback;
    return std::string(buffer, length);
}

unsigned long Win32TempFolder::QueryTempPath(unsigned long size, char* buffer) { return GetTempPathA(size, buffer); }

}  // namespace quillora
