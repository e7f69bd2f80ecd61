#pragma once

#include <map>
#include <string>

#include "adapters/posix/PosixTempFolder.h"

namespace quillora::testing {

// The real temporary folder, except that it is told a lie about chosen paths: what the real
// file system cannot show without root (a folder of another user, for one).
class LyingTempFolder : public PosixTempFolder {
public:
    using PosixTempFolder::PosixTempFolder;
    enum class Lie { None, NotOwned, Link, NotAFolder, OthersMayWrite, NoStatus };

    // Keyed by the folder's path without its final separator.
    std::map<std::string, Lie> lies;

protected:
    bool StatusOf(const std::string& path, EntryStatus& status) override {
        if (!PosixTempFolder::StatusOf(path, status)) return false;
        auto found = lies.find(path);
        switch (found == lies.end() ? Lie::None : found->second) {
        case Lie::None: break;
        case Lie::NotOwned: status.owner += 1; break;
        case Lie::Link: status.isLink = true; break;
        case Lie::NotAFolder: status.isFolder = false; break;
        case Lie::OthersMayWrite: status.mode |= 0002; break;
        case Lie::NoStatus: return false;
        }
        return true;
    }
};

}  // namespace quillora::testing
