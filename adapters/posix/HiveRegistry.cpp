#include "adapters/posix/HiveRegistry.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <utility>
#include <vector>

#include "engine/AsciiCase.h"

namespace quillora {
namespace {

constexpr char kRoot[] = "HKEY_CURRENT_USER";
constexpr char kSoftware[] = "HKEY_CURRENT_USER\\Software";
constexpr int kMostBrokenFiles = 1000;

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

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// HKEY_CURRENT_USER and its Software key exist whether the file names them or not.
bool IsImplicitKey(const std::string& path) {
    return SameIgnoringAsciiCase(path, "hkey_current_user") || SameIgnoringAsciiCase(path, "hkey_current_user\\software");
}

// Holds the hive's lock for one change.
class LockHolder {
public:
    LockHolder(FileSystem& files, const std::string& path) : files_(files) { locked_ = files_.Lock(path, lock_); }
    ~LockHolder() {
        if (locked_) files_.Unlock(lock_);
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    bool Locked() const { return locked_; }

private:
    FileSystem& files_;
    FileSystem::Handle lock_ = -1;
    bool locked_ = false;
};

}  // namespace

HiveRegistry::HiveRegistry(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {
    if (!folder_.empty()) {
        hivePath_ = folder_ + "/registry.reg";
        lockPath_ = hivePath_ + ".lock";
    }
}

std::string HiveRegistry::DefaultFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/quillora";
    std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config/quillora";
}

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
        if (!IsImplicitKey(path)) {
            Snapshot snapshot = Load();
            if (!snapshot.hive.HasKey(path)) return false;
        }
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
        if (!IsImplicitKey(path) && !Load().hive.HasKey(path)) {
            bool created = Change([&](HiveFile& hive) {
                bool added = false;
                if (!hive.AddKey(path, &added)) return Edit::Failed;
                return added ? Edit::Changed : Edit::Unchanged;
            });
            if (!created) return false;
        }
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
        Snapshot snapshot = Load();
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

HiveRegistry::Snapshot HiveRegistry::Load() {
    Snapshot snapshot;
    std::string bytes;
    if (!TryRead(bytes, snapshot.state)) return snapshot;
    std::optional<HiveFile> parsed = HiveFile::Parse(bytes);
    if (parsed) {
        snapshot.state = State::Parsed;
        snapshot.hive = std::move(*parsed);
    } else {
        snapshot.state = State::Broken;
    }
    return snapshot;
}

// The whole file when the result is true; otherwise state tells why there is nothing to parse.
bool HiveRegistry::TryRead(std::string& bytes, State& state) {
    switch (files_.ReadWhole(hivePath_, kLargestHive, bytes)) {
        case FileSystem::WholeRead::Read:
            return true;
        case FileSystem::WholeRead::NotOpened:
            state = files_.Exists(hivePath_) ? State::Unreadable : State::Missing;
            return false;
        case FileSystem::WholeRead::TooLarge:
            state = State::Broken;
            return false;
        case FileSystem::WholeRead::Failed:
            break;
    }
    state = State::Unreadable;
    return false;
}

bool HiveRegistry::Change(const std::function<Edit(HiveFile&)>& edit) {
    if (hivePath_.empty() || !MakeFolders(folder_)) return false;
    LockHolder lock(files_, lockPath_);
    if (!lock.Locked()) return false;
    Snapshot snapshot = Load();
    if (snapshot.state == State::Unreadable) return false;
    snapshot.hive.AddKey(kSoftware);
    switch (edit(snapshot.hive)) {
        case Edit::Failed:
            return false;
        case Edit::Unchanged:
            return true;
        case Edit::Changed:
            break;
    }
    return Save(snapshot.hive.Write(), snapshot.state == State::Broken);
}

// Replaces the hive file by a new one holding text. A former file that could not be parsed is
// first renamed aside; when the replacement fails, it is put back.
bool HiveRegistry::Save(const std::string& text, bool keepFormerAside) {
    const std::string target = files_.ResolveLinks(hivePath_);
    std::string temporary;
    if (!files_.WriteBeside(target, text, temporary)) return false;
    bool ok = true;
    std::string aside;
    if (ok && keepFormerAside && files_.Exists(target)) {
        aside = AsideName(target);
        ok = !aside.empty() && files_.Rename(target, aside);
        if (!ok) aside.clear();
    }
    ok = ok && files_.Rename(temporary, target);
    if (!ok) {
        files_.Remove(temporary);
        if (!aside.empty()) files_.Rename(aside, target);
    }
    return ok;
}

// The first free name target.broken-<n>; empty when there is none.
std::string HiveRegistry::AsideName(const std::string& target) {
    for (int n = 1; n <= kMostBrokenFiles; ++n) {
        std::string name = target + ".broken-" + std::to_string(n);
        if (!files_.Exists(name)) return name;
    }
    return {};
}

}  // namespace quillora
