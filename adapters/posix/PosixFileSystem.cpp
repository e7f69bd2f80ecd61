#include "adapters/posix/PosixFileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <random>
#include <string_view>
#include <vector>

#include "adapters/posix/UserFolders.h"

namespace quillora {
namespace {

constexpr char kNewFileMark[] = ".quillora-";
constexpr char kNotePrefix[] = "pending-";
constexpr char kPartialPrefix[] = ".partial-";
constexpr char kKeptPrefix[] = "kept-";
constexpr char kKeptHeader[] = "QUILLORA KEPT COPY 1\n";
constexpr int kMostLinks = 40;  // the kernel's own limit on a chain of symbolic links

int Fd(FileSystem::Handle handle) { return static_cast<int>(handle); }

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RandomLetters(int count) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string letters;
    for (int i = 0; i < count; ++i) letters += kLetters[random() % (sizeof kLetters - 1)];
    return letters;
}

// A name beside target for its new file; nothing is checked.
std::string NewFileName(const std::string& target) {
    const std::string name = NameOf(target);
    const std::string base = name.size() + 16 <= NAME_MAX ? name + kNewFileMark + RandomLetters(6)
                                                          : kNewFileMark + RandomLetters(12);
    return FolderOf(target) + "/" + base;
}

bool IsNewFileName(const std::string& path) { return NameOf(path).find(kNewFileMark) != std::string::npos; }

template <typename Call>
auto Retrying(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}

bool WriteAllTo(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        ssize_t wrote = Retrying([&] { return ::write(fd, bytes, count); });
        if (wrote <= 0) return false;
        bytes += wrote;
        count -= static_cast<std::size_t>(wrote);
    }
    return true;
}

// The open file still bears the name path (nobody removed or replaced it meanwhile).
bool StillNamed(int fd, const std::string& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

void SyncFolder(const std::string& path) {
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);  // makes the new name itself survive a power cut; best effort
    ::close(folder);
}

bool Flock(int fd, int operation) { return Retrying([&] { return ::flock(fd, operation); }) == 0; }

// The regular file at target, opened for writing from its start without emptying it.
int OpenRegularInPlace(const std::string& target) {
    int fd = Retrying([&] { return ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Copies from the kept copy's content, at contentAt, into target in place, whole, on the disk.
bool WriteBack(int copy, std::int64_t contentAt, const std::string& target) {
    int out = OpenRegularInPlace(target);
    if (out < 0) return false;
    bool ok = true;
    std::vector<char> chunk(1 << 16);
    auto at = static_cast<off_t>(contentAt);
    off_t written = 0;
    while (ok) {
        ssize_t got = Retrying([&] { return ::pread(copy, chunk.data(), chunk.size(), at); });
        if (got < 0) ok = false;
        if (got <= 0) break;
        ok = WriteAllTo(out, chunk.data(), static_cast<std::size_t>(got));
        at += got;
        written += got;
    }
    ok = ok && ::ftruncate(out, written) == 0 && ::fsync(out) == 0;
    return ::close(out) == 0 && ok;
}

// Reads the header of a kept copy: the target's path, and where the content starts.
bool ReadKeptHeader(int fd, std::string& target, std::int64_t& contentAt) {
    char head[64] = {};
    ssize_t got = Retrying([&] { return ::pread(fd, head, sizeof head, 0); });
    const std::string_view header(kKeptHeader);
    if (got < 0 || std::string_view(head, static_cast<std::size_t>(got)).substr(0, header.size()) != header) return false;
    std::size_t at = header.size();
    std::size_t length = 0;
    while (at < static_cast<std::size_t>(got) && head[at] >= '0' && head[at] <= '9' && length < PATH_MAX) {
        length = length * 10 + static_cast<std::size_t>(head[at++] - '0');
    }
    if (at >= static_cast<std::size_t>(got) || head[at] != '\n' || length == 0 || length >= PATH_MAX) return false;
    ++at;
    target.assign(length, '\0');
    if (Retrying([&] { return ::pread(fd, target.data(), length, static_cast<off_t>(at)); }) != static_cast<ssize_t>(length)) {
        return false;
    }
    char end = 0;
    if (Retrying([&] { return ::pread(fd, &end, 1, static_cast<off_t>(at + length)); }) != 1 || end != '\n') return false;
    contentAt = static_cast<std::int64_t>(at + length + 1);
    return true;
}

}  // namespace

PosixFileSystem::PosixFileSystem() : PosixFileSystem(Options{DefaultStateFolder(), true}) {}

PosixFileSystem::PosixFileSystem(Options options) : options_(std::move(options)) {}

PosixFileSystem::~PosixFileSystem() {
    for (auto& [handle, newFile] : newFiles_) {
        ::close(Fd(handle));
        if (!newFile.name.empty()) ::unlink(newFile.name.c_str());
        Drop(newFile.note);
    }
    for (auto& [handle, copy] : copies_) ::close(copy.file.fd);  // left for the next recovery
}

std::string PosixFileSystem::DefaultStateFolder() { return QuilloraFolderOf("XDG_STATE_HOME", ".local/state"); }

// --- Reading ---------------------------------------------------------------------------------

bool PosixFileSystem::OpenForReading(const std::string& path, Handle& file) {
    // Never waits: a named pipe or a device opens at once and is then refused by SizeOf.
    file = Retrying([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); });
    return file >= 0;
}

bool PosixFileSystem::SizeOf(Handle file, std::int64_t& size) {
    struct stat info {};
    if (::fstat(Fd(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = static_cast<std::int64_t>(info.st_size);
    return true;
}

std::int64_t PosixFileSystem::Read(Handle file, char* into, std::size_t count) {
    return Retrying([&] { return ::read(Fd(file), into, count); });
}

bool PosixFileSystem::Close(Handle file) { return ::close(Fd(file)) == 0; }

// --- What a path names -----------------------------------------------------------------------

bool PosixFileSystem::ResolveLinks(const std::string& path, std::string& resolved) {
    std::string current = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        std::string target(PATH_MAX, '\0');
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            resolved = current;  // no link (or none that can be read): Inspect tells the rest
            return true;
        }
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    return false;
}

bool PosixFileSystem::Inspect(const std::string& path, Facts& facts) {
    facts = Facts{};
    facts.folderWritable = ::faccessat(AT_FDCWD, FolderOf(path).c_str(), W_OK | X_OK, AT_EACCESS) == 0;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno != ENOENT) return false;
        facts.kind = Kind::Missing;
        return true;
    }
    facts.kind = S_ISREG(info.st_mode) ? Kind::Regular : Kind::Other;
    // A file without any write permission is read-only for everybody, root included, as the
    // read-only attribute is elsewhere; otherwise the system's own rule for this user decides.
    facts.writable = facts.kind == Kind::Regular && (info.st_mode & 0222) != 0 &&
                     ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    facts.otherNames = info.st_nlink > 1;
    return true;
}

// --- Writing a new file and putting it in place ----------------------------------------------

bool PosixFileSystem::CreateBeside(const std::string& target, Handle& file) {
    // Unnamed where the system can give the file a name later (through /proc).
    if (options_.unnamedFiles && ::access("/proc/self/fd", X_OK) == 0) {
        int fd = Retrying([&] { return ::open(FolderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666); });
        if (fd >= 0) {
            file = fd;
            newFiles_[file] = NewFile{};
            return true;
        }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        NewFile newFile{NewFileName(target), {}};
        newFile.note = Note(newFile.name);
        int fd = Retrying([&] {
            return ::open(newFile.name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        });
        if (fd >= 0) {
            file = fd;
            newFiles_[file] = std::move(newFile);
            return true;
        }
        const int error = errno;
        Drop(newFile.note);
        if (error != EEXIST) return false;
    }
    return false;
}

bool PosixFileSystem::TakeIdentity(Handle file, const std::string& target) {
    struct stat former {};
    // The owner first: changing it may clear the set-user and set-group bits.
    return ::lstat(target.c_str(), &former) == 0 && ::fchown(Fd(file), former.st_uid, former.st_gid) == 0 &&
           ::fchmod(Fd(file), former.st_mode & 07777) == 0;
}

std::int64_t PosixFileSystem::Write(Handle file, const char* bytes, std::size_t count) {
    return Retrying([&] { return ::write(Fd(file), bytes, count); });
}

bool PosixFileSystem::Flush(Handle file) { return ::fsync(Fd(file)) == 0; }

// A name for an unnamed new file, noted first: the step between naming it and putting it in
// place is the one a killed writer could leave it in.
bool PosixFileSystem::GiveName(NewFile& newFile, int fd, const std::string& target) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        newFile.name = NewFileName(target);
        newFile.note = Note(newFile.name);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, newFile.name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        const int error = errno;
        Drop(newFile.note);
        if (error != EEXIST) break;
    }
    newFile.name.clear();
    return false;
}

FileSystem::Placed PosixFileSystem::PutInPlace(Handle file, const std::string& target, Placing placing) {
    auto found = newFiles_.find(file);
    if (found == newFiles_.end()) return Placed::Failed;
    NewFile newFile = std::move(found->second);
    newFiles_.erase(found);
    const int fd = Fd(file);
    Placed placed = Placed::Failed;

    if (newFile.name.empty() && placing == Placing::Add) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            placed = Placed::Done;
        } else if (errno == EEXIST) {
            placed = Placed::Taken;
        }
    } else if (!newFile.name.empty() || GiveName(newFile, fd, target)) {
        if (placing == Placing::Replace) {
            if (::rename(newFile.name.c_str(), target.c_str()) == 0) placed = Placed::Done;
        } else if (::link(newFile.name.c_str(), target.c_str()) == 0) {
            placed = Placed::Done;
        } else if (errno == EEXIST) {
            placed = Placed::Taken;
        } else if (::syscall(SYS_renameat2, AT_FDCWD, newFile.name.c_str(), AT_FDCWD, target.c_str(), 1 /* RENAME_NOREPLACE */) == 0) {
            placed = Placed::Done;  // a file system without hard links
        } else if (errno == EEXIST) {
            placed = Placed::Taken;
        }
        // After a rename the name is the target's; after a link it is a second name, removed here.
        if (placed != Placed::Done || placing == Placing::Add) ::unlink(newFile.name.c_str());
    }
    Drop(newFile.note);
    ::close(fd);
    if (placed == Placed::Done) SyncFolder(target);
    return placed;
}

void PosixFileSystem::Discard(Handle file) {
    auto found = newFiles_.find(file);
    ::close(Fd(file));
    if (found == newFiles_.end()) return;
    if (!found->second.name.empty()) ::unlink(found->second.name.c_str());
    Drop(found->second.note);
    newFiles_.erase(found);
}

// --- The state folder --------------------------------------------------------------------------

bool PosixFileSystem::StateFolderReady(bool create) {
    const std::string& folder = options_.stateFolder;
    if (folder.empty() || folder.front() != '/') return false;
    if (create) {
        // Missing parents are made as the XDG folders are, for the user alone.
        for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
            ::mkdir(folder.substr(0, slash).c_str(), 0700);
            if (slash == std::string::npos) break;
        }
    }
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 022) == 0;
}

// A new file in the state folder whose name starts with prefix, locked by this process. The
// name is checked once the lock is held: a recovery that took the file before may have removed it.
bool PosixFileSystem::CreateHeld(const std::string& prefix, Held& held) {
    if (!StateFolderReady(true)) return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = options_.stateFolder + "/" + prefix + RandomLetters(12);
        int fd = Retrying([&] { return ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600); });
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (Flock(fd, LOCK_EX | LOCK_NB) && StillNamed(fd, path)) {
            held = Held{fd, path};
            return true;
        }
        ::close(fd);
    }
    return false;
}

void PosixFileSystem::Drop(Held& held) {
    if (held.fd < 0) return;
    ::unlink(held.path.c_str());
    ::close(held.fd);
    held = Held{};
}

// A note in the state folder that names a new file; none when the state folder cannot be had.
PosixFileSystem::Held PosixFileSystem::Note(const std::string& newFilePath) {
    Held note;
    if (!CreateHeld(kNotePrefix, note)) return Held{};
    if (!WriteAllTo(note.fd, newFilePath.data(), newFilePath.size())) Drop(note);
    return note;
}

// --- Writing in place, with a kept copy --------------------------------------------------------

bool PosixFileSystem::KeepCopy(const std::string& target, Handle& copy) {
    Held partial;
    if (!CreateHeld(kPartialPrefix, partial)) return false;
    int source = Retrying([&] { return ::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
    struct stat info {};
    bool ok = source >= 0 && ::fstat(source, &info) == 0 && S_ISREG(info.st_mode);
    const std::string header = std::string(kKeptHeader) + std::to_string(target.size()) + "\n" + target + "\n";
    ok = ok && WriteAllTo(partial.fd, header.data(), header.size());
    std::vector<char> chunk(1 << 16);
    off_t copied = 0;
    while (ok) {
        ssize_t got = Retrying([&] { return ::read(source, chunk.data(), chunk.size()); });
        if (got < 0) ok = false;
        if (got <= 0) break;
        ok = WriteAllTo(partial.fd, chunk.data(), static_cast<std::size_t>(got));
        copied += got;
    }
    if (source >= 0) ::close(source);
    ok = ok && copied == info.st_size && ::fsync(partial.fd) == 0;

    // Complete: the copy gets its kept name, still locked.
    std::string kept;
    for (int attempt = 0; ok && attempt < 100 && kept.empty(); ++attempt) {
        const std::string name = options_.stateFolder + "/" + kKeptPrefix + RandomLetters(12);
        if (::link(partial.path.c_str(), name.c_str()) == 0) kept = name;
        else if (errno != EEXIST) ok = false;
    }
    ::unlink(partial.path.c_str());
    if (!ok || kept.empty()) {
        if (!kept.empty()) ::unlink(kept.c_str());
        ::close(partial.fd);
        return false;
    }
    SyncFolder(kept);
    copy = partial.fd;
    copies_[copy] = KeptCopy{Held{partial.fd, kept}, target, static_cast<std::int64_t>(header.size())};
    return true;
}

bool PosixFileSystem::OpenInPlace(const std::string& target, Handle& file) {
    int fd = OpenRegularInPlace(target);
    if (fd < 0) return false;
    file = fd;
    return true;
}

bool PosixFileSystem::Truncate(Handle file, std::int64_t size) {
    return Retrying([&] { return ::ftruncate(Fd(file), static_cast<off_t>(size)); }) == 0;
}

bool PosixFileSystem::PutBack(Handle copy) {
    auto found = copies_.find(copy);
    return found != copies_.end() && WriteBack(found->second.file.fd, found->second.contentAt, found->second.target);
}

void PosixFileSystem::ReleaseCopy(Handle copy, bool remove) {
    auto found = copies_.find(copy);
    if (found == copies_.end()) return;
    if (remove) ::unlink(found->second.file.path.c_str());
    ::close(found->second.file.fd);
    copies_.erase(found);
}

void PosixFileSystem::RecoverKeptCopies() {
    if (!StateFolderReady(false)) return;
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(options_.stateFolder.c_str())) {
        while (const dirent* entry = ::readdir(folder)) names.emplace_back(entry->d_name);
        ::closedir(folder);
    }
    for (const std::string& name : names) RecoverEntry(name);
}

void PosixFileSystem::RecoverEntry(const std::string& name) {
    const bool isKept = name.rfind(kKeptPrefix, 0) == 0;
    const bool isNote = name.rfind(kNotePrefix, 0) == 0;
    const bool isPartial = name.rfind(kPartialPrefix, 0) == 0;
    if (!isKept && !isNote && !isPartial) return;
    const std::string path = options_.stateFolder + "/" + name;
    for (const auto& [handle, copy] : copies_) {
        if (copy.file.path == path) return;  // this process's own, in use
    }
    int fd = Retrying([&] { return ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) return;
    // A kept copy waits for its writer; the rest is left to a writer that still runs.
    const bool locked = Flock(fd, isKept ? LOCK_EX : LOCK_EX | LOCK_NB);
    if (!locked || !StillNamed(fd, path)) {
        ::close(fd);
        return;
    }
    bool done = true;
    if (isKept) {
        std::string target;
        std::int64_t contentAt = 0;
        done = ReadKeptHeader(fd, target, contentAt) && WriteBack(fd, contentAt, target);
    } else if (isNote) {
        std::string newFile(PATH_MAX, '\0');
        ssize_t got = Retrying([&] { return ::pread(fd, newFile.data(), newFile.size(), 0); });
        newFile.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        struct stat info {};
        if (!newFile.empty() && IsNewFileName(newFile) && ::lstat(newFile.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ::unlink(newFile.c_str());
        }
    }
    if (done) ::unlink(path.c_str());
    ::close(fd);
}

// --- Entries and locks -------------------------------------------------------------------------

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool PosixFileSystem::Lock(const std::string& path, Handle& lock) {
    int fd = Retrying([&] { return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600); });
    if (fd < 0) return false;
    if (!Flock(fd, LOCK_EX)) {
        ::close(fd);
        return false;
    }
    lock = fd;
    return true;
}

bool PosixFileSystem::LockFolder(const std::string& folder, Handle& lock) {
    int fd = Retrying([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0) return false;
    if (!Flock(fd, LOCK_EX)) {
        ::close(fd);
        return false;
    }
    lock = fd;
    return true;
}

void PosixFileSystem::Unlock(Handle lock) {
    ::flock(Fd(lock), LOCK_UN);
    ::close(Fd(lock));
}

}  // namespace quillora
