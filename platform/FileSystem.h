#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

namespace quillora {

// The file system calls that whole-file reading and writing are made of, one step each, so
// that a test can make any single step fail. Paths and file contents are bytes.
class FileSystem {
public:
    using Handle = std::intptr_t;  // a descriptor, or a system handle where handles are pointers

    virtual ~FileSystem() = default;

    // Reading.
    virtual bool OpenForReading(const std::string& path, Handle& file) = 0;
    // False for anything that is not a regular file or whose size cannot be had.
    virtual bool SizeOf(Handle file, std::int64_t& size) = 0;
    // Bytes read, 0 at the end of the file, -1 on an error.
    virtual std::int64_t Read(Handle file, char* into, std::size_t count) = 0;

    // Writing by replacement. The file a path finally names, following symbolic links; the
    // path itself when it names nothing yet.
    virtual std::string ResolveLinks(const std::string& path) = 0;
    // Creates a new, empty, uniquely named file in the folder of target, with the permissions
    // of target when it exists.
    virtual bool CreateBeside(const std::string& target, Handle& file, std::string& temporaryPath) = 0;
    // Bytes written, fewer than count on a full disk, -1 on an error.
    virtual std::int64_t Write(Handle file, const char* bytes, std::size_t count) = 0;
    // Puts the written bytes on the disk.
    virtual bool Flush(Handle file) = 0;
    virtual bool Close(Handle file) = 0;
    // Replaces to by from in one step: to is either the former file or the new one.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;

    // A directory entry of exactly that name exists (a folder counts).
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;

    // Waits for an exclusive lock on the lock file at path, creating it when missing. The lock
    // is held until Unlock, and released when the process ends.
    virtual bool Lock(const std::string& path, Handle& lock) = 0;
    virtual void Unlock(Handle lock) = 0;

    enum class WholeRead { Read, NotOpened, TooLarge, Failed };

    // Every byte of the file at path into bytes, looping until all have arrived. A file that
    // is larger than largest, is no regular file, ends before its size or cannot be held in
    // memory is not read; the file is closed on every way out.
    WholeRead ReadWhole(const std::string& path, std::int64_t largest, std::string& bytes) {
        Handle file = -1;
        if (!OpenForReading(path, file)) return WholeRead::NotOpened;
        std::int64_t size = 0;
        bool whole = SizeOf(file, size) && size >= 0;
        if (whole && size > largest) {
            Close(file);
            return WholeRead::TooLarge;
        }
        if (whole) {
            try {
                bytes.resize(static_cast<std::size_t>(size));
            } catch (const std::bad_alloc&) {
                whole = false;
            }
        }
        std::size_t arrived = 0;
        while (whole && arrived < bytes.size()) {
            std::int64_t got = Read(file, bytes.data() + arrived, bytes.size() - arrived);
            if (got <= 0) {
                whole = false;  // an error, or the file ended before its size
            } else {
                arrived += static_cast<std::size_t>(got);
            }
        }
        whole = Close(file) && whole;
        return whole ? WholeRead::Read : WholeRead::Failed;
    }

    // The first half of replacing target: a new file beside it holding exactly bytes, on the
    // disk and closed. False, with no new file left, when a step fails; then the caller renames
    // temporaryPath over target, or removes it.
    bool WriteBeside(const std::string& target, std::string_view bytes, std::string& temporaryPath) {
        Handle file = -1;
        if (!CreateBeside(target, file, temporaryPath)) return false;
        bool ok = true;
        std::size_t done = 0;
        while (ok && done < bytes.size()) {
            std::int64_t wrote = Write(file, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0) {
                ok = false;  // an error, or nothing more fits on the disk
            } else {
                done += static_cast<std::size_t>(wrote);
            }
        }
        ok = ok && Flush(file);
        ok = Close(file) && ok;
        if (!ok) Remove(temporaryPath);
        return ok;
    }
};

}  // namespace quillora
