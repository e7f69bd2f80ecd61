#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/FileSystem.h"

namespace quillora {

// The file system on Linux.
//
// A new file beside its target is made with O_TMPFILE, so that it has no name until it is put in
// place; where the file system or a missing /proc cannot do that, it is made under a name
// "<target's name>.quillora-XXXXXX" (".quillora-XXXXXXXXXXXX" for very long names). Every name a
// new file bears before it is in place is first noted in the state folder ("pending-*", locked by
// its writer), so that RecoverKeptCopies removes what a writer that ended on the way left.
//
// Kept copies live in the state folder as "kept-*" files: a header naming the target, then its
// former content. The writer holds a lock on its copy; RecoverKeptCopies takes that lock, so it
// waits for a running writer and acts only for one that has ended. The state folder is made for
// the user alone when it is first needed, and is used only while it is a real folder owned by the
// user that nobody else may write.
//
// Folder locks are flock(2) locks on the folder itself; lock files are flock(2) locks too.
class PosixFileSystem : public FileSystem {
public:
    struct Options {
        std::string stateFolder;    // empty: no kept copies (writes in place fail) and no notes
        bool unnamedFiles = true;   // false: never O_TMPFILE, as on file systems without it
    };

    PosixFileSystem();  // the user's state folder, unnamed files where the system has them
    explicit PosixFileSystem(Options options);
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    // $XDG_STATE_HOME/quillora, or ~/.local/state/quillora; empty when no home folder is known.
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
    // A file in the state folder that this process holds locked: a note naming a new file, or a
    // kept copy.
    struct Held {
        int fd = -1;
        std::string path;
    };
    struct NewFile {
        std::string name;  // empty while the file has none
        Held note;         // the note of that name, when there is one
    };
    struct KeptCopy {
        Held file;
        std::string target;
        std::int64_t contentAt = 0;  // where the former content starts, after the header
    };

    bool StateFolderReady(bool create);
    bool CreateHeld(const std::string& prefix, Held& held);
    void Drop(Held& held);
    Held Note(const std::string& newFilePath);
    bool GiveName(NewFile& newFile, int fd, const std::string& target);
    void RecoverEntry(const std::string& name);

    Options options_;
    std::map<Handle, NewFile> newFiles_;
    std::map<Handle, KeptCopy> copies_;
};

}  // namespace quillora
