#pragma once

#include <set>

#include "platform/FileSystem.h"

namespace quillora {

// Files on the Win32 ANSI API. A whole-file write goes to a new file beside the target that
// the system deletes by itself if the writer dies before it is complete; the complete file
// then replaces the target in one step. A target that is read-only, a folder or a device is
// refused before anything is created, and again at the replacement.
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
    std::set<Handle> unfinished_;  // new files that vanish when closed before they are complete
};

}  // namespace quillora
