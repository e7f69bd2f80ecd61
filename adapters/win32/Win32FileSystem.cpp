#include "adapters/win32/Win32FileSystem.h"

#include <windows.h>
#include <aclapi.h>
#include <shlobj.h>

#include <cstring>
#include <random>
#include <string_view>
#include <vector>

namespace quillora {
namespace {

constexpr char kNewFileMark[] = ".quillora-";
constexpr char kNotePrefix[] = "pending-";
constexpr char kPartialPrefix[] = "partial-";
constexpr char kKeptPrefix[] = "kept-";
constexpr char kKeptHeader[] = "QUILLORA KEPT COPY 1\n";
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The largest piece handed to one ReadFile or WriteFile call.
constexpr std::size_t kLargestPiece = 1u << 30;

HANDLE Native(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
FileSystem::Handle Portable(HANDLE handle) { return reinterpret_cast<FileSystem::Handle>(handle); }

// Where the name starts: after the last separator, walking the bytes as the system's code page
// does, so that the second byte of a double-byte character is never taken for a backslash.
std::size_t NameStart(const std::string& path) {
    std::size_t start = 0;
    for (std::size_t at = 0; at < path.size(); ++at) {
        const char c = path[at];
        if (c == '\\' || c == '/' || (c == ':' && at == 1)) {
            start = at + 1;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(c)) && at + 1 < path.size()) {
            ++at;
        }
    }
    return start;
}

// The folder with its separator ("" for a bare name), and the name.
std::string FolderOf(const std::string& path) { return path.substr(0, NameStart(path)); }
std::string NameOf(const std::string& path) { return path.substr(NameStart(path)); }

// Makes the folder and any of its parents that are missing.
void MakeFolders(const std::string& folder) {
    for (std::size_t at = 0; at <= folder.size(); ++at) {
        if (at == folder.size() || folder[at] == '\\' || folder[at] == '/') {
            if (at > 0 && folder[at - 1] != ':') CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        } else if (IsDBCSLeadByte(static_cast<BYTE>(folder[at])) && at + 1 < folder.size()) {
            ++at;
        }
    }
}

std::string RandomLetters(int count) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string letters;
    for (int i = 0; i < count; ++i) letters += kLetters[random() % (sizeof kLetters - 1)];
    return letters;
}

// A name beside target for a new file, within the longest path of the "A" calls.
std::string NewFileName(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string name = NameOf(target);
    if (folder.size() + name.size() + 16 < MAX_PATH) return folder + name + kNewFileMark + RandomLetters(6);
    return folder + kNewFileMark + RandomLetters(6);
}

bool IsNewFileName(const std::string& path) { return NameOf(path).find(kNewFileMark) != std::string::npos; }

bool WriteAllTo(HANDLE file, const char* bytes, std::size_t count) {
    while (count > 0) {
        DWORD wrote = 0;
        const auto piece = static_cast<DWORD>(count < kLargestPiece ? count : kLargestPiece);
        if (!WriteFile(file, bytes, piece, &wrote, nullptr) || wrote == 0) return false;
        bytes += wrote;
        count -= wrote;
    }
    return true;
}

// Reads up to count bytes at offset, without moving the file's own position.
std::int64_t ReadAt(HANDLE file, char* into, std::size_t count, std::int64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(file, into, static_cast<DWORD>(count), &got, &at)) return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

bool LockWhole(HANDLE file, DWORD flags) {
    OVERLAPPED whole{};
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, 1, 0, &whole) != 0;
}

void UnlockWhole(HANDLE file) {
    OVERLAPPED whole{};
    UnlockFileEx(file, 0, 1, 0, &whole);
}

bool DeletePending(HANDLE file) {
    FILE_STANDARD_INFO standard{};
    return GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending;
}

// An existing file opened with no access to its content: to learn what it is.
HANDLE OpenToLookAt(const std::string& path) {
    return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES | READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// The regular file at target, opened for writing from its start without emptying it, and not
// through a symbolic link at that name.
HANDLE OpenRegularInPlace(const std::string& target) {
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Copies the kept copy's content, from contentAt on, into target in place, whole, on the disk.
bool WriteBack(HANDLE copy, std::int64_t contentAt, const std::string& target) {
    HANDLE out = OpenRegularInPlace(target);
    if (out == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    std::vector<char> chunk(1 << 16);
    std::int64_t at = contentAt;
    while (ok) {
        const std::int64_t got = ReadAt(copy, chunk.data(), chunk.size(), at);
        if (got < 0) ok = false;
        if (got <= 0) break;
        ok = WriteAllTo(out, chunk.data(), static_cast<std::size_t>(got));
        at += got;
    }
    ok = ok && SetEndOfFile(out) && FlushFileBuffers(out);
    return CloseHandle(out) && ok;
}

// Reads the header of a kept copy: the target's path, and where the content starts.
bool ReadKeptHeader(HANDLE copy, std::string& target, std::int64_t& contentAt) {
    std::string head(64 + MAX_PATH, '\0');
    const std::int64_t got = ReadAt(copy, head.data(), head.size(), 0);
    if (got <= 0) return false;
    head.resize(static_cast<std::size_t>(got));
    const std::string_view header(kKeptHeader);
    if (std::string_view(head).substr(0, header.size()) != header) return false;
    std::size_t at = header.size();
    std::size_t length = 0;
    while (at < head.size() && head[at] >= '0' && head[at] <= '9' && length < MAX_PATH) {
        length = length * 10 + static_cast<std::size_t>(head[at++] - '0');
    }
    if (at >= head.size() || head[at] != '\n' || length == 0 || length >= MAX_PATH || at + length + 1 >= head.size() ||
        head[at + 1 + length] != '\n') {
        return false;
    }
    target = head.substr(at + 1, length);
    contentAt = static_cast<std::int64_t>(at + length + 2);
    return true;
}

// A security descriptor of a file: owner and access list.
class Security {
public:
    explicit Security(HANDLE file) {
        ok_ = GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner_,
                              nullptr, &dacl_, nullptr, &descriptor_) == ERROR_SUCCESS;
    }
    ~Security() {
        if (descriptor_ != nullptr) LocalFree(descriptor_);
    }
    Security(const Security&) = delete;
    Security& operator=(const Security&) = delete;

    bool Known() const { return ok_ && owner_ != nullptr; }
    bool SameOwner(const Security& other) const { return EqualSid(owner_, other.owner_) != 0; }
    bool SameAccess(const Security& other) const {
        if (dacl_ == nullptr || other.dacl_ == nullptr) return dacl_ == other.dacl_;
        return dacl_->AclSize == other.dacl_->AclSize && std::memcmp(dacl_, other.dacl_, dacl_->AclSize) == 0;
    }
    // Gives file this access list, inherited further or not as here.
    bool GiveAccessTo(HANDLE file) const {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor_, &control, &revision);
        const SECURITY_INFORMATION which = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED)
                                                                            ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
        return SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, dacl_, nullptr) == ERROR_SUCCESS;
    }

private:
    bool ok_ = false;
    PSID owner_ = nullptr;
    PACL dacl_ = nullptr;
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// The path with the prefix of the system's long form removed: \\?\C:\x gives C:\x and
// \\?\UNC\server\share gives \\server\share.
std::string WithoutLongPrefix(const std::string& path) {
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

}  // namespace

Win32FileSystem::Win32FileSystem() : Win32FileSystem(Options{DefaultStateFolder()}) {}

Win32FileSystem::Win32FileSystem(Options options) : options_(std::move(options)) {}

Win32FileSystem::~Win32FileSystem() {
    for (const auto& [handle, newFile] : newFiles_) CloseHandle(Native(handle));  // gone with the handle
    for (const auto& [handle, note] : notes_) {
        DeleteFileA(note.c_str());
        CloseHandle(Native(handle));
    }
    for (const auto& [handle, copy] : copies_) CloseHandle(Native(handle));  // left for the next recovery
    for (Handle lock : folderLocks_) {
        ReleaseMutex(Native(lock));
        CloseHandle(Native(lock));
    }
}

std::string Win32FileSystem::DefaultStateFolder() {
    char folder[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK || folder[0] == '\0') {
        return {};
    }
    return std::string(folder) + "\\Quillora";
}

// --- Reading ---------------------------------------------------------------------------------

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

bool Win32FileSystem::Close(Handle file) { return CloseHandle(Native(file)) != 0; }

// --- What a path names -----------------------------------------------------------------------

bool Win32FileSystem::ResolveLinks(const std::string& path, std::string& resolved) {
    resolved = path;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // A symbolic link: the file it finally names. One that names nothing stays as it is and is
    // refused as what it is; links in a loop cannot be resolved at all.
    HANDLE file = CreateFileA(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_CANT_RESOLVE_FILENAME;
    std::string final(MAX_PATH + 8, '\0');
    const DWORD length = GetFinalPathNameByHandleA(file, final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
    CloseHandle(file);
    if (length > 0 && length < final.size()) {
        final.resize(length);
        resolved = WithoutLongPrefix(final);
    }
    return true;
}

bool Win32FileSystem::Inspect(const std::string& path, Facts& facts) {
    facts = Facts{};
    const std::string folder = FolderOf(path);
    const DWORD folderAttributes = GetFileAttributesA(folder.empty() ? "." : folder.c_str());
    // A folder that is there; whether this user may add to it shows when the new file is made.
    facts.folderWritable = folderAttributes != INVALID_FILE_ATTRIBUTES && (folderAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_DRIVE &&
            error != ERROR_BAD_NETPATH && error != ERROR_BAD_NET_NAME) {
            return false;
        }
        facts.kind = Kind::Missing;
        return true;
    }
    facts.kind = Kind::Other;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return true;
    // Device names such as NUL or COM1 look like files in every folder: the opened file tells.
    HANDLE file = OpenToLookAt(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool regular = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    if (!regular) return true;
    facts.kind = Kind::Regular;
    facts.otherNames = information.nNumberOfLinks > 1;
    if (attributes & FILE_ATTRIBUTE_READONLY) return true;
    // Writable for this user, and not held by another program that shares no writing.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    facts.writable = writer != INVALID_HANDLE_VALUE;
    if (facts.writable) CloseHandle(writer);
    return true;
}

// --- Writing a new file and putting it in place ----------------------------------------------

bool Win32FileSystem::CreateBeside(const std::string& target, Handle& file) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = NewFileName(target);
        HANDLE created = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE | READ_CONTROL | WRITE_DAC, kShareAll,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (created != INVALID_HANDLE_VALUE) {
            file = Portable(created);
            newFiles_[file] = NewFile{name};
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool Win32FileSystem::TakeIdentity(Handle file, const std::string& target) {
    HANDLE former = OpenToLookAt(target);
    if (former == INVALID_HANDLE_VALUE) return false;
    FILE_BASIC_INFO basic{};
    const bool attributesKnown = GetFileInformationByHandleEx(former, FileBasicInfo, &basic, sizeof basic) != 0;
    const Security formerSecurity(former);
    CloseHandle(former);
    const Security newSecurity(Native(file));
    // The owner cannot be given away; the access list is given when it differs.
    if (!attributesKnown || !formerSecurity.Known() || !newSecurity.Known() || !formerSecurity.SameOwner(newSecurity) ||
        (!formerSecurity.SameAccess(newSecurity) && !formerSecurity.GiveAccessTo(Native(file)))) {
        return false;
    }
    // Hidden stays hidden; the times are the new file's own.
    FILE_BASIC_INFO attributes{};
    attributes.FileAttributes = basic.FileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                                        FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (attributes.FileAttributes == 0) attributes.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(Native(file), FileBasicInfo, &attributes, sizeof attributes) != 0;
}

std::int64_t Win32FileSystem::Write(Handle file, const char* bytes, std::size_t count) {
    DWORD wrote = 0;
    if (!WriteFile(Native(file), bytes, static_cast<DWORD>(count < kLargestPiece ? count : kLargestPiece), &wrote, nullptr)) {
        return -1;
    }
    return wrote;
}

bool Win32FileSystem::Flush(Handle file) { return FlushFileBuffers(Native(file)) != 0; }

// Gives the complete new file a second name, which stays when the first goes with the handle:
// a hard link, or where the file system has none, a copy of its bytes.
bool Win32FileSystem::SecondName(Handle file, const std::string& unnamed, const std::string& name) {
    if (CreateHardLinkA(name.c_str(), unnamed.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(Native(file), &information)) return false;
    HANDLE copy = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, information.dwFileAttributes, nullptr);
    if (copy == INVALID_HANDLE_VALUE) return false;
    bool copied = true;
    std::vector<char> chunk(1 << 16);
    for (std::int64_t at = 0; copied;) {
        const std::int64_t got = ReadAt(Native(file), chunk.data(), chunk.size(), at);
        if (got < 0) copied = false;
        if (got <= 0) break;
        copied = WriteAllTo(copy, chunk.data(), static_cast<std::size_t>(got));
        at += got;
    }
    copied = FlushFileBuffers(copy) && copied;
    copied = CloseHandle(copy) && copied;
    if (!copied) DeleteFileA(name.c_str());
    return copied;
}

FileSystem::Placed Win32FileSystem::PutInPlace(Handle file, const std::string& target, Placing placing) {
    auto found = newFiles_.find(file);
    if (found == newFiles_.end()) return Placed::Failed;
    const std::string unnamed = found->second.name;
    newFiles_.erase(found);
    Placed placed = Placed::Failed;

    if (placing == Placing::Add) {
        // The target's own name is the second name: it is taken only where nothing bears it.
        const bool exists = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!exists && SecondName(file, unnamed, target)) {
            placed = Placed::Done;
        } else if (exists || GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            placed = Placed::Taken;
        }
    } else {
        // A second new name, noted first: the step between naming the file and renaming it is
        // the one in which an ended writer could leave it.
        const std::string named = NewFileName(target);
        const Handle note = Note(named);
        if (SecondName(file, unnamed, named)) {
            if (MoveFileExA(named.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                placed = Placed::Done;
            } else {
                DeleteFileA(named.c_str());
            }
        }
        if (note != -1) DropNote(note);
    }
    CloseHandle(Native(file));  // the first name goes with it
    return placed;
}

void Win32FileSystem::Discard(Handle file) {
    newFiles_.erase(file);
    CloseHandle(Native(file));
}

// --- The state folder --------------------------------------------------------------------------

bool Win32FileSystem::StateFolderReady(bool create) {
    const std::string& folder = options_.stateFolder;
    if (folder.empty()) return false;
    if (create) MakeFolders(folder);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A note in the state folder naming a new file's second name, locked by this process; -1 when
// the state folder cannot be had.
FileSystem::Handle Win32FileSystem::Note(const std::string& newFilePath) {
    if (!StateFolderReady(true)) return -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = options_.stateFolder + "\\" + kNotePrefix + RandomLetters(12);
        HANDLE note = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (note == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return -1;
        }
        if (!LockWhole(note, LOCKFILE_FAIL_IMMEDIATELY) || !WriteAllTo(note, newFilePath.data(), newFilePath.size()) ||
            !FlushFileBuffers(note)) {
            DeleteFileA(path.c_str());
            CloseHandle(note);
            return -1;
        }
        notes_[Portable(note)] = path;
        return Portable(note);
    }
    return -1;
}

void Win32FileSystem::DropNote(Handle note) {
    auto found = notes_.find(note);
    if (found == notes_.end()) return;
    DeleteFileA(found->second.c_str());
    UnlockWhole(Native(note));
    CloseHandle(Native(note));
    notes_.erase(found);
}

// --- Writing in place, with a kept copy --------------------------------------------------------

bool Win32FileSystem::KeepCopy(const std::string& target, Handle& copy) {
    if (!StateFolderReady(true)) return false;
    // Made under a name that goes with its handle, locked, and named as kept once complete.
    HANDLE partial = INVALID_HANDLE_VALUE;
    std::string partialPath;
    for (int attempt = 0; attempt < 100 && partial == INVALID_HANDLE_VALUE; ++attempt) {
        partialPath = options_.stateFolder + "\\" + kPartialPrefix + RandomLetters(12);
        partial = CreateFileA(partialPath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (partial == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (partial == INVALID_HANDLE_VALUE) return false;
    bool ok = LockWhole(partial, LOCKFILE_FAIL_IMMEDIATELY);

    HANDLE source = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    std::int64_t size = -1;
    ok = ok && source != INVALID_HANDLE_VALUE && SizeOf(Portable(source), size);
    const std::string header = std::string(kKeptHeader) + std::to_string(target.size()) + "\n" + target + "\n";
    ok = ok && WriteAllTo(partial, header.data(), header.size());
    std::vector<char> chunk(1 << 16);
    std::int64_t copied = 0;
    while (ok) {
        const std::int64_t got = Read(Portable(source), chunk.data(), chunk.size());
        if (got < 0) ok = false;
        if (got <= 0) break;
        ok = WriteAllTo(partial, chunk.data(), static_cast<std::size_t>(got));
        copied += got;
    }
    if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
    ok = ok && copied == size && FlushFileBuffers(partial);

    std::string kept;
    for (int attempt = 0; ok && attempt < 100 && kept.empty(); ++attempt) {
        const std::string name = options_.stateFolder + "\\" + kKeptPrefix + RandomLetters(12);
        if (CreateHardLinkA(name.c_str(), partialPath.c_str(), nullptr)) {
            kept = name;
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ok = false;
        }
    }
    if (!ok || kept.empty()) {
        CloseHandle(partial);
        return false;
    }
    copy = Portable(partial);
    copies_[copy] = KeptCopy{kept, target, static_cast<std::int64_t>(header.size())};
    return true;
}

bool Win32FileSystem::OpenInPlace(const std::string& target, Handle& file) {
    HANDLE opened = OpenRegularInPlace(target);
    if (opened == INVALID_HANDLE_VALUE) return false;
    file = Portable(opened);
    return true;
}

bool Win32FileSystem::Truncate(Handle file, std::int64_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = size;
    return SetFilePointerEx(Native(file), end, nullptr, FILE_BEGIN) && SetEndOfFile(Native(file));
}

bool Win32FileSystem::PutBack(Handle copy) {
    auto found = copies_.find(copy);
    return found != copies_.end() && WriteBack(Native(copy), found->second.contentAt, found->second.target);
}

void Win32FileSystem::ReleaseCopy(Handle copy, bool remove) {
    auto found = copies_.find(copy);
    if (found == copies_.end()) return;
    if (remove) {
        // Spoilt before it goes: a recovery that opened it meanwhile and waits for its lock
        // finds no copy to put back, whenever the system lets the name go.
        OVERLAPPED start{};
        DWORD wrote = 0;
        WriteFile(Native(copy), "-", 1, &wrote, &start);
        FlushFileBuffers(Native(copy));
        DeleteFileA(found->second.path.c_str());
    }
    UnlockWhole(Native(copy));
    CloseHandle(Native(copy));  // its partial name goes with it
    copies_.erase(found);
}

void Win32FileSystem::RecoverKeptCopies() {
    if (!StateFolderReady(false)) return;
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((options_.stateFolder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const std::string& name : names) RecoverEntry(name);
}

void Win32FileSystem::RecoverEntry(const std::string& name) {
    const bool isKept = name.rfind(kKeptPrefix, 0) == 0;
    const bool isNote = name.rfind(kNotePrefix, 0) == 0;
    if (!isKept && !isNote) return;
    const std::string path = options_.stateFolder + "\\" + name;
    for (const auto& [handle, copy] : copies_) {
        if (copy.path == path) return;  // this process's own, in use
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    // A kept copy waits for its writer; a note is left to a writer that still runs. A file that
    // its writer removed meanwhile is done with.
    if (!LockWhole(file, isKept ? 0 : LOCKFILE_FAIL_IMMEDIATELY) || DeletePending(file)) {
        CloseHandle(file);
        return;
    }
    bool done = true;
    if (isKept) {
        // A copy without its header was spoilt by its writer, who no longer needs it.
        std::string target;
        std::int64_t contentAt = 0;
        done = !ReadKeptHeader(file, target, contentAt) || WriteBack(file, contentAt, target);
    } else {
        std::string newFile(MAX_PATH, '\0');
        const std::int64_t got = ReadAt(file, newFile.data(), newFile.size(), 0);
        newFile.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        const DWORD attributes = newFile.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(newFile.c_str());
        if (IsNewFileName(newFile) && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
            DeleteFileA(newFile.c_str());
        }
    }
    if (done) DeleteFileA(path.c_str());
    UnlockWhole(file);
    CloseHandle(file);
}

// --- Entries and locks -------------------------------------------------------------------------

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
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    if (!LockWhole(opened, 0)) {
        CloseHandle(opened);
        return false;
    }
    lock = Portable(opened);
    return true;
}

bool Win32FileSystem::LockFolder(const std::string& folder, Handle& lock) {
    // One name for each folder, whatever path names it: its volume and its file index.
    HANDLE opened = OpenToLookAt(folder);
    if (opened == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(opened, &information) &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(opened);
    if (!known) return false;
    const std::string name = "Local\\Quillora folder " + std::to_string(information.dwVolumeSerialNumber) + "-" +
                             std::to_string(information.nFileIndexHigh) + "-" + std::to_string(information.nFileIndexLow);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex == nullptr) return false;
    // A lock whose holder ended without releasing it is handed on as abandoned.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    lock = Portable(mutex);
    folderLocks_.insert(lock);
    return true;
}

void Win32FileSystem::Unlock(Handle lock) {
    if (folderLocks_.erase(lock) != 0) {
        ReleaseMutex(Native(lock));
    } else {
        UnlockWhole(Native(lock));
    }
    CloseHandle(Native(lock));
}

}  // namespace quillora
