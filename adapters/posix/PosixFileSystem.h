#pragma once

#include <map>

#include "platform/FileSystem.h"

namespace quillora {

class PosixFileSystem : public FileSystem {
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
    std::map<Handle, std::string> unnamed_;  // new files without a name yet, and the name each will get
};

}  // namespace quillora
