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

// A target is replaced only when it is a plain file that the user may write: a read-only
// file, a folder or a device is left as it is. Nothing there, or a path that cannot be
// looked at, is for the creation of the new file to decide.
Target TargetAt(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Target::Missing;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return Target::Refused;
    // Device names such as NUL or COM1 look like files in some folders: ask the file itself.
    HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Target::Refused;
    const bool disk = GetFileType(file) == FILE_TYPE_DISK;
    CloseHandle(file);
    return disk ? Target::Replaceable : Target::Refused;
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

bool SetDeleteOnClose(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
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
    std::random_device random;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporaryPath = NameBeside(target, random);
        if (temporaryPath.empty()) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        created = CreateFileA(temporaryPath.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (created == INVALID_HANDLE_VALUE) return false;
    // Until it is complete the new file is deleted as soon as its handle closes, which the
    // system does for a writer that is killed.
    if (!SetDeleteOnClose(created, true)) {
        CloseHandle(created);
        DeleteFileA(temporaryPath.c_str());
        return false;
    }
    file = Portable(created);
    unfinished_.insert(file);
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
    bool kept = true;
    if (unfinished_.erase(file) != 0) kept = SetDeleteOnClose(Native(file), false);
    return CloseHandle(Native(file)) != 0 && kept;
}

bool Win32FileSystem::Rename(const std::string& from, const std::string& to) {
    switch (TargetAt(to)) {
    case Target::Refused:
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    case Target::Replaceable:
        // Keeps what the former file is: its security, attributes and creation time.
        return ReplaceFileA(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
    case Target::Missing:
        break;
    }
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32FileSystem::Exists(const std::string& path) {
    // No wildcard can be part of a name; FindFirstFileA would take it as a pattern.
    if (path.find_first_of("*?") != std::string::npos) return false;
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
