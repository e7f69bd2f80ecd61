#pragma once

#include <string>

namespace quillora {

// Where the program keeps its temporary files (the help page and its picture): a folder that
// only the current user can write. The text ends with the path separator, so a file name can
// follow it directly.
class TempFolder {
public:
    virtual ~TempFolder() = default;
    // The private folder, or the fixed fallback when the private one cannot be had. When
    // neither can be had, a folder in which no file can be created, so that every write
    // there fails with the usual write message.
    virtual std::string Folder() = 0;
};

}  // namespace quillora
