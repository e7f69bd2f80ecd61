#include "adapters/posix/PosixTempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace quillora {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// base/name/ with exactly one separator between the parts.
std::string Below(std::string base, const std::string& name) {
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + "/" + name + "/";
}

}  // namespace

PosixTempFolder::Environment PosixTempFolder::Environment::OfProcess() {
    return {Variable("XDG_RUNTIME_DIR"), Variable("TMPDIR"), Variable("XDG_CACHE_HOME"), Variable("HOME")};
}

PosixTempFolder::PosixTempFolder() : PosixTempFolder(Environment::OfProcess(), ::geteuid()) {}

PosixTempFolder::PosixTempFolder(Environment environment, unsigned user)
    : environment_(std::move(environment)), user_(user) {}

std::string PosixTempFolder::PrivateFolder() const {
    if (IsAbsolute(environment_.runtimeDir)) {
        std::string folder = environment_.runtimeDir;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    const std::string base = IsAbsolute(environment_.tmpDir) ? environment_.tmpDir : "/tmp";
    return Below(base, "quillora-" + std::to_string(user_));
}

std::string PosixTempFolder::FallbackFolder() const {
    if (IsAbsolute(environment_.cacheHome)) return Below(environment_.cacheHome, "quillora");
    if (IsAbsolute(environment_.home)) return Below(Below(environment_.home, ".cache"), "quillora");
    return {};
}

std::string PosixTempFolder::Folder() {
    const std::string privateFolder = PrivateFolder();
    if (Usable(privateFolder)) return privateFolder;
    const std::string fallback = FallbackFolder();
    if (fallback.empty()) return kUnusable;
    // A user may have no cache folder yet: it is made as the quillora folder inside it is, for
    // the user alone, one level only.
    MakeFolder(fallback.substr(0, fallback.find_last_of('/', fallback.size() - 2)));
    return Usable(fallback) ? fallback : kUnusable;
}

bool PosixTempFolder::Usable(const std::string& folder) {
    // Without its final '/', so that a symbolic link is seen as a link and not followed.
    std::string entry = folder;
    while (entry.size() > 1 && entry.back() == '/') entry.pop_back();
    EntryStatus status;
    return MakeFolder(entry) && StatusOf(entry, status) && !status.isLink && status.isFolder &&
           status.owner == user_ && (status.mode & 022) == 0;
}

bool PosixTempFolder::MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

bool PosixTempFolder::StatusOf(const std::string& path, EntryStatus& status) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    status.isLink = S_ISLNK(info.st_mode);
    status.isFolder = S_ISDIR(info.st_mode);
    status.owner = info.st_uid;
    status.mode = info.st_mode & 07777;
    return true;
}

}  // namespace quillora
