#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/FileSystem.h"

namespace quillora {

// The file system on Windows, through the ANSI ("A") calls.
//
// A new file beside its target is created with FILE_FLAG_DELETE_ON_CLOSE under a name
// "<target's name>.quillora-XXXXXX": the system removes it with its last handle, so a writer
// that ends at any moment before the file is in place leaves nothing. Putting it in place gives
// the complete file a second name with a hard link (the target's own name when it is added;
// otherwise a second new name, noted first in the state folder, renamed over the target). On a
// file system without hard links the bytes are copied to that second name instead.
//
// Kept copies live in the state folder, %LOCALAPPDATA%\Quillora, as "kept-*" files: a header
// naming the target, then its former content. The writer holds a lock on its copy (LockFileEx);
// RecoverKeptCopies waits for that lock, so it acts only for a writer that has ended. Notes
// ("pending-*") name the second names of new files on their way into place.
//
// Folder locks are named mutexes, one for each folder (by its volume and file index); lock
// files are locked with LockFileEx.
class Win32FileSystem : public FileSystem {
public:
    struct Options {
        std::string stateFolder;  // empty: no kept copies (writes in place fail) and no notes
    };

    Win32FileSystem();  // the user's state folder
    explicit Win32FileSystem(Options options);
    ~Win32FileSystem() override;
    Win32FileSystem(const Win32FileSystem&) = delete;
    Win32FileSystem& operator=(const Win32FileSystem&) = delete;

    // %LOCALAPPDATA%\Quillora; empty when Windows gives no local application data folder.
    static std::string DefaultStateFolder();
    const std::string& StateFolder() const { return options_.stateFolder; }

    bool OpenForReading(const std::string& path, Handle& file) override;
    bool SizeOf(Handle file, std::int64_t& size) override;
    std::int64_t Read(Handle file, char* into, std::size_t count) override;
    bool Close(Handle file) override;

    bool ResolveLinks(const std::string& path, std::string& resolved) override;
    bool Inspect(const std::string& path, Facts& facts) override;

    bool CreateBeside(const std::string& target, Handle& file) override;
    bool TakeIdentity(Handle file, const std::string& target) override;
    std::int64_t Write(Handle file, const char* bytes, std::size_t count) override;
    bool Flush(Handle file) override;
    Placed PutInPlace(Handle file, const std::string& target, Placing placing) override;
    void Discard(Handle file) override;

    bool KeepCopy(const std::string& target, Handle& copy) override;
    bool OpenInPlace(const std::string& target, Handle& file) override;
    bool Truncate(Handle file, std::int64_t size) override;
    bool PutBack(Handle copy) override;
    void ReleaseCopy(Handle copy, bool remove) override;
    void RecoverKeptCopies() override;

    bool Exists(const std::string& path) override;
    bool Remove(const std::string& path) override;
    bool Lock(const std::string& path, Handle& lock) override;
    bool LockFolder(const std::string& folder, Handle& lock) override;
    void Unlock(Handle lock) override;

private:
    struct NewFile {
        std::string name;  // the name it is written under, which goes with its handle
    };
    struct KeptCopy {
        std::string path;  // its "kept-*" name in the state folder
        std::string target;
        std::int64_t contentAt = 0;  // where the former content starts, after the header
    };

    bool StateFolderReady(bool create);
    Handle Note(const std::string& newFilePath);
    void DropNote(Handle note);
    bool SecondName(Handle file, const std::string& unnamed, const std::string& name);
    void RecoverEntry(const std::string& name);

    Options options_;
    std::map<Handle, NewFile> newFiles_;
    std::map<Handle, KeptCopy> copies_;
    std::map<Handle, std::string> notes_;  // note handle, and the note's path
    std::set<Handle> folderLocks_;         // the mutexes that LockFolder holds
};

}  // namespace quillora
