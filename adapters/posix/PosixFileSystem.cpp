#include "adapters/posix/PosixFileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string_view>

namespace quillora {
namespace {

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads the target of a symbolic link; empty when path is no link.
std::string LinkTarget(const std::string& path) {
    std::string target(PATH_MAX, '\0');
    ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    target.resize(static_cast<std::size_t>(length));
    if (target.front() != '/') target = FolderOf(path) + "/" + target;
    return target;
}

// The descriptor a handle holds.
int Fd(FileSystem::Handle handle) { return static_cast<int>(handle); }

void SyncFolder(const std::string& path) {
    int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);  // makes the rename itself survive a power cut; best effort
    ::close(folder);
}

}  // namespace

bool PosixFileSystem::OpenForReading(const std::string& path, Handle& file) {
    // Never waits: a named pipe or a device opens at once and is then refused by SizeOf.
    do {
        file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    } while (file < 0 && errno == EINTR);
    return file >= 0;
}

bool PosixFileSystem::SizeOf(Handle file, std::int64_t& size) {
    struct stat info {};
    if (::fstat(Fd(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = static_cast<std::int64_t>(info.st_size);
    return true;
}

std::int64_t PosixFileSystem::Read(Handle file, char* into, std::size_t count) {
    ssize_t got;
    do {
        got = ::read(Fd(file), into, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

std::string PosixFileSystem::ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit on a chain of links
        std::string next = LinkTarget(current);
        if (next.empty()) return current;
        current = next;
    }
    return current;
}

namespace {

// A name beside target that nothing bears yet.
std::string FreeNameBeside(const std::string& target) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string base = target.size() + 7 >= PATH_MAX ? FolderOf(target) + "/.quillora" : target;
    for (;;) {
        std::string name = base + ".";
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        struct stat existing {};
        if (::lstat(name.c_str(), &existing) != 0) return name;
    }
}

}  // namespace

bool PosixFileSystem::CreateBeside(const std::string& target, Handle& file, std::string& temporaryPath) {
    // The new file stays without a name until it is complete (see Close), so a writer killed
    // half way leaves nothing behind. Where the file system cannot do that, a named file.
    file = ::access("/proc/self/fd", X_OK) == 0 ? ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
    if (file >= 0) {
        temporaryPath = FreeNameBeside(target);
        unnamed_[file] = temporaryPath;
    } else {
        std::string pattern = (target.size() + 7 >= PATH_MAX ? FolderOf(target) + "/.quillora" : target) + ".XXXXXX";
        file = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (file < 0) return false;
        temporaryPath = pattern;
    }

    struct stat former {};
    mode_t mode;
    if (::stat(target.c_str(), &former) == 0) {
        mode = former.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(Fd(file), mode) != 0) {
        unnamed_.erase(file);
        ::close(Fd(file));
        ::unlink(temporaryPath.c_str());
        return false;
    }
    return true;
}

std::int64_t PosixFileSystem::Write(Handle file, const char* bytes, std::size_t count) {
    ssize_t wrote;
    do {
        wrote = ::write(Fd(file), bytes, count);
    } while (wrote < 0 && errno == EINTR);
    return wrote;
}

bool PosixFileSystem::Flush(Handle file) { return ::fsync(Fd(file)) == 0; }

bool PosixFileSystem::Close(Handle file) {
    bool named = true;
    auto unnamed = unnamed_.find(file);
    if (unnamed != unnamed_.end()) {
        // Complete: now the new file gets its temporary name, ready to be renamed over its target.
        const std::string self = "/proc/self/fd/" + std::to_string(Fd(file));
        named = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, unnamed->second.c_str(), AT_SYMLINK_FOLLOW) == 0;
        unnamed_.erase(unnamed);
    }
    return ::close(Fd(file)) == 0 && named;
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    SyncFolder(to);
    return true;
}

bool PosixFileSystem::Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool PosixFileSystem::Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool PosixFileSystem::Lock(const std::string& path, Handle& lock) {
    do {
        lock = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    } while (lock < 0 && errno == EINTR);
    if (lock < 0) return false;
    int locked;
    do {
        locked = ::flock(Fd(lock), LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(Fd(lock));
        return false;
    }
    return true;
}

void PosixFileSystem::Unlock(Handle lock) {
    ::flock(Fd(lock), LOCK_UN);
    ::close(Fd(lock));
}

}  // namespace quillora
