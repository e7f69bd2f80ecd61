#pragma once

#include <map>
#include <utility>

#include "platform/FileSystem.h"

namespace quillora {

// Files on the Win32 ANSI API. A whole-file write goes to a new file beside the target, with
// the target's attributes, that the system deletes by itself if the writer dies before it is
// complete (see CreateBeside); the complete file then replaces the target in one rename. A target that is
// read-only, a folder, a device or held by another program without sharing is refused before
// anything is created, and again at the replacement.
class Win32FileSystem : public FileSystem {
public:
    bool OpenForReading(const std::string& path, Handle& file) override;
    bool SizeOf(Handle file, std::int64_t& size) override;
    std::int64_t Read(Handle file, char* into, std::size_t count) override;
    std::string ResolveLinks(const std::string& path) override;
    bool CreateBeside(const std::string& target, Handle& file, std::string& temporaryPath) override;
    std::int64_t Write(Handle file, const char* bytes, std::size_t count) override;
    bool Flush(Handle file) override;
    bool Close(Handle file) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool Lock(const std::string& path, Handle& lock) override;
    void Unlock(Handle lock) override;

private:
    bool CopyTo(Handle file, const std::string& path);

    // New files that vanish with their handle: the name each is written under, and the name
    // that it gets when it is complete.
    std::map<Handle, std::pair<std::string, std::string>> unfinished_;
};

}  // namespace quillora
