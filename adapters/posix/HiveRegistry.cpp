#include "adapters/posix/HiveRegistry.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <utility>

#include "adapters/posix/UserFolders.h"

namespace quillora {
namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER";
constexpr char kSoftware[] = "HKEY_CURRENT_USER\\Software";

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates the folder and its missing parents, private to the user as configuration folders are.
bool MakeFolders(const std::string& folder) {
    if (IsFolder(folder)) return true;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    return IsFolder(folder);
}

// HKEY_CURRENT_USER and its Software key exist whether the file names them or not.
bool IsImplicitKey(const std::string& path) {
    std::string lowered = path;
    for (char& c : lowered) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lowered == "hkey_current_user" || lowered == "hkey_current_user\\software";
}

}  // namespace

HiveRegistry::HiveRegistry(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {
    if (!folder_.empty()) {
        hivePath_ = folder_ + "/registry.reg";
        lockPath_ = hivePath_ + ".lock";
    }
}

std::string HiveRegistry::DefaultFolder() { return QuilloraFolderOf("XDG_CONFIG_HOME", ".config"); }

bool HiveRegistry::PathBelow(Key parent, const std::string& name, std::string& path) const {
    if (parent == kCurrentUser) {
        path = kRoot;
    } else {
        auto found = open_.find(parent);
        if (found == open_.end()) return false;
        path = found->second;
    }
    if (!name.empty()) path += "\\" + name;
    return HiveFile::IsKeyPath(path);
}

bool HiveRegistry::OpenKey(Key parent, const std::string& name, Key& key) {
    try {
        std::string path;
        if (hivePath_.empty() || !PathBelow(parent, name, path)) return false;
        if (!IsImplicitKey(path) && !LockedLoad().hive.HasKey(path)) return false;
        key = next_++;
        open_[key] = path;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool HiveRegistry::CreateKey(Key parent, const std::string& name, Key& key) {
    try {
        std::string path;
        if (hivePath_.empty() || !PathBelow(parent, name, path)) return false;
        // A key that the file does not hold yet is written with the first value set below it, so
        // that a read never writes the file. A file that cannot be read gives no key at all.
        if (!IsImplicitKey(path) && LockedLoad().state == State::Unreadable) return false;
        key = next_++;
        open_[key] = path;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool HiveRegistry::QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) {
    try {
        auto found = open_.find(key);
        if (found == open_.end()) return false;
        Snapshot snapshot = LockedLoad();
        const HiveValue* value = snapshot.hive.FindValue(found->second, name);
        if (value == nullptr) return false;
        type = value->type;
        data = value->data;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool HiveRegistry::SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) {
    try {
        auto found = open_.find(key);
        if (found == open_.end() || !HiveFile::IsValueName(name)) return false;
        const std::string& path = found->second;
        return Change([&](HiveFile& hive) {
            bool changed = false;
            if (!hive.SetValue(path, name, type, data, &changed)) return Edit::Failed;
            return changed ? Edit::Changed : Edit::Unchanged;
        });
    } catch (const std::exception&) {
        return false;
    }
}

void HiveRegistry::CloseKey(Key key) { open_.erase(key); }

bool HiveRegistry::LockValues() {
    if (valuesLocked_ || hivePath_.empty() || !MakeFolders(folder_) || !files_.Lock(lockPath_, lock_)) return false;
    valuesLocked_ = true;
    return true;
}

void HiveRegistry::UnlockValues() {
    if (!valuesLocked_) return;
    files_.Unlock(lock_);
    valuesLocked_ = false;
}

// Takes the hive's lock unless LockValues holds it already; true when this call took it.
bool HiveRegistry::TakeLock() { return !valuesLocked_ && files_.Lock(lockPath_, lock_); }

void HiveRegistry::GiveLockBack(bool taken) {
    if (taken) files_.Unlock(lock_);
}

// The file as it stands, read under the lock where the lock can be had: where it cannot (no
// folder yet), there is no file to be changed meanwhile either.
HiveRegistry::Snapshot HiveRegistry::LockedLoad() {
    const bool taken = TakeLock();
    Snapshot snapshot = Load();
    GiveLockBack(taken);
    return snapshot;
}

HiveRegistry::Snapshot HiveRegistry::Load() {
    files_.RecoverKeptCopies();  // a writer that ended half way through the file in place
    Snapshot snapshot;
    std::string bytes;
    switch (files_.ReadWhole(hivePath_, kLargestHive, bytes)) {
        case FileSystem::WholeRead::Read:
            snapshot.state = State::Parsed;
            snapshot.hive = HiveFile::Parse(bytes);
            break;
        case FileSystem::WholeRead::NotOpened:
            snapshot.state = files_.Exists(hivePath_) ? State::Unreadable : State::Missing;
            break;
        case FileSystem::WholeRead::TooLarge:
            snapshot.state = State::TooLarge;
            break;
        case FileSystem::WholeRead::Failed:
            snapshot.state = State::Unreadable;
            break;
    }
    return snapshot;
}

bool HiveRegistry::Change(const std::function<Edit(HiveFile&)>& edit) {
    if (hivePath_.empty() || !MakeFolders(folder_)) return false;
    const bool taken = TakeLock();
    bool changed = false;
    if (taken || valuesLocked_) {
        Snapshot snapshot = Load();
        // A file that cannot be read, or that is already too large, is the user's to mend.
        if (snapshot.state == State::Missing || snapshot.state == State::Parsed) {
            snapshot.hive.AddKey(kSoftware);
            switch (edit(snapshot.hive)) {
                case Edit::Failed:
                    break;
                case Edit::Unchanged:
                    changed = true;
                    break;
                case Edit::Changed: {
                    const std::string text = snapshot.hive.Write();
                    changed = static_cast<std::int64_t>(text.size()) <= kLargestHive &&
                              files_.WriteWhole(hivePath_, text) == FileSystem::WholeWrite::Written;
                    break;
                }
            }
        }
    }
    GiveLockBack(taken);
    return changed;
}

}  // namespace quillora
