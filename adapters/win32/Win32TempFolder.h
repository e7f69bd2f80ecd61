#pragma once

#include <string>

#include "platform/TempFolder.h"

namespace quillora {

// The user's temporary folder as GetTempPathA gives it, with its trailing backslash. When the
// system gives none, the root of drive C.
class Win32TempFolder : public TempFolder {
public:
    static constexpr const char* kFallback = "c:\\";
    // The buffer the folder is asked into; a longer folder counts as none.
    static constexpr unsigned long kBufferSize = 264;

    std::string Folder() override;

protected:
    // GetTempPathA: the length of the folder written into buffer, 0 on failure, or the size
    // needed when the buffer is too small.
    virtual unsigned long QueryTempPath(unsigned long size, char* buffer);
};

}  // namespace quillora
