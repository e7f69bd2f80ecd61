#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// The file system steps that whole-file reading and writing are made of, one step each, so that
// a test can make any single step fail, and the two compositions of them (ReadWhole, WriteWhole)
// that hold the rules for using them. Paths and file contents are bytes; paths are used as given.
//
// Every step that returns bool reports success; a failed step changes nothing that its contract
// does not name. Handles are whatever the system gives (a descriptor, or a pointer-sized handle);
// one handle is never used after the step that ends it.
class FileSystem {
public:
    using Handle = std::intptr_t;

    virtual ~FileSystem() = default;

    // --- Reading -------------------------------------------------------------------------------

    // Opens an existing file for reading without waiting (a named pipe with no writer opens at
    // once) and without keeping other programs from reading or writing it meanwhile.
    virtual bool OpenForReading(const std::string& path, Handle& file) = 0;
    // The size of an open regular file; false for anything else, or when it cannot be had.
    virtual bool SizeOf(Handle file, std::int64_t& size) = 0;
    // Bytes read, 0 at the end of the file, -1 on an error.
    virtual std::int64_t Read(Handle file, char* into, std::size_t count) = 0;
    // Ends a file opened for reading or in place. False when the system reports that the file
    // could not be closed cleanly; the handle is gone either way.
    virtual bool Close(Handle file) = 0;

    // --- What a path names ----------------------------------------------------------------------

    enum class Kind {
        Missing,  // no entry of that name
        Regular,  // a plain file
        Other,    // a folder, device, named pipe, socket or symbolic link
    };
    struct Facts {
        Kind kind = Kind::Missing;
        bool writable = false;        // the user may write the file and it is not marked read-only
        bool otherNames = false;      // the file has more names than this one (hard links)
        bool folderWritable = false;  // a new entry can be made in the path's folder
    };

    // The path that path finally names once symbolic links are followed, each link's target taken
    // relative to the link's own folder; path itself when it names no link (or nothing). False
    // when the links go round in a loop or deeper than the system follows.
    virtual bool ResolveLinks(const std::string& path, std::string& resolved) = 0;
    // What path itself is: a symbolic link there is seen as a link (Other), not followed. False
    // when that cannot be learnt (a folder on the way that may not be searched, say).
    virtual bool Inspect(const std::string& path, Facts& facts) = 0;

    // --- Writing a new file and putting it in place ----------------------------------------------

    // A new, empty file in target's folder, open for writing, with the permissions that a new
    // file gets there (none taken from target or from anything at its name). Until PutInPlace
    // it bears no name, or one that RecoverKeptCopies removes should the writer end before.
    virtual bool CreateBeside(const std::string& target, Handle& file) = 0;
    // Gives the new file the owner, the group and the permissions of the file at target. False
    // when the system will not give all of them to this user's file.
    virtual bool TakeIdentity(Handle file, const std::string& target) = 0;
    // Bytes written, fewer than count when the disk is full, -1 on an error.
    virtual std::int64_t Write(Handle file, const char* bytes, std::size_t count) = 0;
    // Puts the bytes written so far on the disk.
    virtual bool Flush(Handle file) = 0;

    enum class Placing {
        Replace,  // the new file takes the name whatever bears it now (the entry itself: a
                  // symbolic link there is replaced, not followed)
        Add,      // the new file takes the name only when no entry bears it
    };
    enum class Placed { Done, Taken, Failed };
    // Ends the new file and gives it target's name in one step that nothing can see half done:
    // Done; Taken when Add finds the name borne; Failed. On anything but Done the new file is gone
    // and the entry at target is as it was.
    virtual Placed PutInPlace(Handle file, const std::string& target, Placing placing) = 0;
    // Ends the new file and removes it.
    virtual void Discard(Handle file) = 0;

    // --- Writing in place, with a kept copy -------------------------------------------------------

    // Keeps a complete copy of the content of the regular file at target in the user's own state
    // folder, marked with target's path. While the copy is held nobody else touches it; should the
    // writer end without releasing it, RecoverKeptCopies writes it back into target.
    virtual bool KeepCopy(const std::string& target, Handle& copy) = 0;
    // Opens the existing regular file at target for writing from its first byte, without emptying
    // it and without following a symbolic link at that name.
    virtual bool OpenInPlace(const std::string& target, Handle& file) = 0;
    // The open file ends after size bytes.
    virtual bool Truncate(Handle file, std::int64_t size) = 0;
    // Writes the kept content back into the copy's target, whole, and puts it on the disk.
    virtual bool PutBack(Handle copy) = 0;
    // Lets go of the copy: removes it when remove is set, otherwise leaves it for RecoverKeptCopies.
    virtual void ReleaseCopy(Handle copy, bool remove) = 0;
    // Writes every kept copy whose writer has ended back into its target and removes it, waiting
    // for copies whose writer still runs; removes the named new files that ended writers left.
    virtual void RecoverKeptCopies() = 0;

    // --- Entries and locks ----------------------------------------------------------------------

    // A directory entry of exactly that name exists (a folder or a symbolic link counts).
    virtual bool Exists(const std::string& path) = 0;
    virtual bool Remove(const std::string& path) = 0;

    // Waits for the exclusive lock on the lock file at path, creating the file when missing.
    virtual bool Lock(const std::string& path, Handle& lock) = 0;
    // Waits for the exclusive lock of an existing folder: one lock per folder (whatever path
    // names it) among all processes that ask for it, creating nothing in it.
    virtual bool LockFolder(const std::string& folder, Handle& lock) = 0;
    // Releases either kind of lock; a lock is also released when its process ends.
    virtual void Unlock(Handle lock) = 0;

    // --- Compositions ---------------------------------------------------------------------------

    enum class WholeRead { Read, NotOpened, TooLarge, Failed };

    // Every byte of the file at path into bytes, looping until all have arrived. A file that is
    // larger than largest, is no regular file, ends before its size or cannot be held in memory is
    // not read; the file is closed on every way out.
    WholeRead ReadWhole(const std::string& path, std::int64_t largest, std::string& bytes);

    enum class WriteMode {
        Replace,    // symbolic links followed; the file there keeps what it is, only its content changes
        CreateNew,  // symbolic links followed; only where nothing bears the name yet
        Fresh,      // a new file of its own takes the name, whatever entry bore it (temporary files)
    };
    enum class WholeWrite {
        Written,
        Refused,  // the file may not be written (read-only), or is no regular file; untouched
        Taken,    // CreateNew found an entry at the name; untouched
        Failed,   // a step failed; the file holds its former content
    };

    // Gives the file at path exactly these bytes. The new content is written whole beside the file
    // and put in its place in one step, with the former owner, group and permissions. Where that
    // would change what the file is (it has other names, or its owner or group cannot be given to
    // a new file) or cannot be done (its folder may not be written), the content is written into
    // the file itself after a complete copy of the former content was kept (see KeepCopy), so that
    // a failure or an ended writer leaves the former content. Nothing else is left behind.
    WholeWrite WriteWhole(const std::string& path, std::string_view bytes, WriteMode mode = WriteMode::Replace);

private:
    bool WriteAll(Handle file, std::string_view bytes);
    WholeWrite WriteBeside(const std::string& target, std::string_view bytes, bool keepIdentity, Placing placing,
                           bool& identityRefused);
    WholeWrite WriteInPlace(const std::string& target, std::string_view bytes);
};

}  // namespace quillora
