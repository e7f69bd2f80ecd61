#pragma once

#include <string>
#include <utility>

#include "platform/TempFolder.h"

namespace quillora::testing {

// A temporary folder that is always the given one; counts how often it was asked.
class FixedTempFolder : public TempFolder {
public:
    explicit FixedTempFolder(std::string folderWithSeparator) : folder(std::move(folderWithSeparator)) {}

    std::string Folder() override {
        ++queries;
        return folder;
    }

    std::string folder;
    int queries = 0;
};

}  // namespace quillora::testing
