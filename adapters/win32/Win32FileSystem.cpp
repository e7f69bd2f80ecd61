#include "adapters/win32/Win32FileSystem.h"

#include <windows.h>

#include <random>

namespace quillora {
namespace {

HANDLE Native(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
FileSystem::Handle Portable(HANDLE handle) { return reinterpret_cast<FileSystem::Handle>(handle); }

// The largest piece handed to one ReadFile or WriteFile call.
constexpr std::size_t kLargestPiece = 1u << 30;

// The folder of path with its trailing separator; empty for a bare file name. The bytes are
// walked as the system's code page does, so that the second byte of a double-byte character
// is never taken for a separator.
std::string FolderOf(const std::string& path) {
    std::size_t end = 0;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const char c = path[at];
        if (c == '\\' || c == '/' || (c == ':' && at == 1)) {
            end = at + 1;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(c)) && at + 1 < path.size()) {
            ++at;
        }
    }
    return path.substr(0, end);
}

// What stands at a path that is about to be replaced.
enum class Target { Missing, Replaceable, Refused };

// A target is replaced only when it is a plain file that the user may write and that no other
// program holds without sharing: a read-only file, a folder, a device or a held file is left
// as it is. Nothing there, or a path that cannot be looked at, is for the creation of the new
// file to decide.
Target TargetAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Target::Missing;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return Target::Refused;
    // Opened as the replacement will need it; device names such as NUL or COM1 look like files
    // in every folder, so the opened file tells what it is.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Target::Refused;
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk ? Target::Replaceable : Target::Refused;
}

// Of a file's attributes, those that its replacement takes over: hidden stays hidden.
DWORD AttributesToKeep(DWORD attributes) {
    const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                           ? 0
                           : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// A new name beside target, or empty when none fits in a path.
std::string NameBeside(const std::string& target, std::random_device& random) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = target.size() + 7 < MAX_PATH ? target : FolderOf(target) + "~quillora";
    if (name.size() + 7 >= MAX_PATH) return {};
    name += '.';
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

// The path with the prefix of the system's own long form removed: \\?\C:\x gives C:\x and
// \\?\UNC\server\share gives \\server\share.
std::string WithoutLongPrefix(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace

bool Win32FileSystem::OpenForReading(const std::string& path, Handle& file) {
    // Another program may have the file open for writing and still let it be read.
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    file = Portable(opened);
    return opened != INVALID_HANDLE_VALUE;
}

bool Win32FileSystem::SizeOf(Handle file, std::int64_t& size) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(Native(file)) != FILE_TYPE_DISK || !GetFileInformationByHandle(Native(file), &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    size = (static_cast<std::int64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    return true;
}

std::int64_t Win32FileSystem::Read(Handle file, char* into, std::size_t count) {
    DWORD got = 0;
    if (!ReadFile(Native(file), into, static_cast<DWORD>(count < kLargestPiece ? count : kLargestPiece), &got, nullptr)) {
        return -1;
    }
    return got;
}

std::string Win32FileSystem::ResolveLinks(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    // A symbolic link: the file it finally names, when there is one.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::string final(MAX_PATH + 8, '\0');
    DWORD length = GetFinalPathNameByHandleA(file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length == 0 || length >= final.size()) return path;
    final.resize(length);
    return WithoutLongPrefix(final);
}

bool Win32FileSystem::CreateBeside(const std::string& target, Handle& file, std::string& temporaryPath) {
    if (TargetAt(target) == Target::Refused) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // The new file is written under a name of its own that the system deletes together with
    // the last handle, from its creation on: a writer killed at any moment leaves nothing.
    // Close gives the complete file its second name, temporaryPath.
    const DWORD attributes = AttributesToKeep(GetFileAttributesA(target.c_str())) | FILE_FLAG_DELETE_ON_CLOSE;
    std::random_device random;
    std::string unnamed;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        unnamed = NameBeside(target, random);
        temporaryPath = NameBeside(target, random);
        if (unnamed.empty()) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        created = CreateFileA(unnamed.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW, attributes, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (created == INVALID_HANDLE_VALUE) return false;
    file = Portable(created);
    unfinished_[file] = {unnamed, temporaryPath};
    return true;
}

std::int64_t Win32FileSystem::Write(Handle file, const char* bytes, std::size_t count) {
    DWORD wrote = 0;
    if (!WriteFile(Native(file), bytes, static_cast<DWORD>(count < kLargestPiece ? count : kLargestPiece), &wrote, nullptr)) {
        return -1;
    }
    return wrote;
}

bool Win32FileSystem::Flush(Handle file) { return FlushFileBuffers(Native(file)) != 0; }

bool Win32FileSystem::Close(Handle file) {
    bool named = true;
    auto unfinished = unfinished_.find(file);
    if (unfinished != unfinished_.end()) {
        // Complete: a second name keeps the file when its first goes with the handle. Where
        // the file system has no hard links, its bytes are copied to a file of that name.
        const auto& [unnamed, name] = unfinished->second;
        named = CreateHardLinkA(name.c_str(), unnamed.c_str(), nullptr) || CopyTo(file, name);
        unfinished_.erase(unfinished);
    }
    return CloseHandle(Native(file)) != 0 && named;
}

bool Win32FileSystem::CopyTo(Handle file, const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(Native(file), &information) ||
        SetFilePointer(Native(file), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return false;
    }
    Handle copy = Portable(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       AttributesToKeep(information.dwFileAttributes), nullptr));
    if (Native(copy) == INVALID_HANDLE_VALUE) return false;
    bool copied = true;
    char buffer[65536];
    for (std::int64_t got; copied && (got = Read(file, buffer, sizeof buffer)) != 0;) {
        copied = got > 0 && Write(copy, buffer, static_cast<std::size_t>(got)) == got;
    }
    copied = Flush(copy) && copied;
    copied = CloseHandle(Native(copy)) && copied;
    if (!copied) DeleteFileA(path.c_str());
    return copied;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
    if (TargetAt(to) == Target::Refused) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // One rename, the former file or the new one at every moment. (ReplaceFileA would keep more
    // of the former file, but Wine's empties the target before it renames.)
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::Exists(const std::string& path) {
    // No wildcard can be part of a name; FindFirstFileA would take it as a pattern.
    if (path.find_first_of("*?") != std::string::npos) return false;
    // A path whose full form or whose volume cannot be known names nothing.
    char full[MAX_PATH] = {};
    char volume[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH || !GetVolumePathNameA(full, volume, MAX_PATH) ||
        !GetVolumeInformationA(volume, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        return false;
    }
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool Win32FileSystem::Remove(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32FileSystem::Lock(const std::string& path, Handle& lock) {
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    if (!LockFileEx(opened, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole)) {
        CloseHandle(opened);
        return false;
    }
    lock = Portable(opened);
    return true;
}

void Win32FileSystem::Unlock(Handle lock) {
    OVERLAPPED whole{};
    UnlockFileEx(Native(lock), 0, 1, 0, &whole);
    CloseHandle(Native(lock));
}

}  // namespace quillora
