#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "adapters/posix/HiveFile.h"

namespace quillora {

// The current user's registry hive, kept in one REGEDIT4 text file (see HiveFile), registry.reg
// in the given folder. HKEY_CURRENT_USER\Software always exists.
//
// The file is the user's. Several programs may share it: every read and every change happens
// under an exclusive lock on registry.reg.lock beside it (LockValues holds that lock across
// several). A change reads the file again, changes only its key or value, and writes the whole
// new text back through FileSystem::WriteWhole, so the file keeps what it is (owner, group,
// permissions, other names) and holds either its former or its new text. Nothing is written
// when nothing changes, and a read never writes at all: a key created where the file holds none
// yet is written with the first value set below it.
//
// Lines of the file that are not understood are kept as they are and skipped (see HiveFile);
// every other value counts. A file larger than kLargestHive reads as empty, and a change that
// would make the file larger than that fails: such a file is never rewritten. A file that exists
// but cannot be read makes every change fail and leaves it alone. A folder that cannot be created
// makes every change fail; keys that do not exist yet then cannot be opened.
class HiveRegistry : public Registry {
public:
    static constexpr std::int64_t kLargestHive = 1024 * 1024;  // ours holds a few hundred bytes

    // folder is created, with its parents, at the first change; empty makes every operation fail.
    HiveRegistry(FileSystem& files, std::string folder);

    // $XDG_CONFIG_HOME/quillora, or ~/.config/quillora when that is unset or not absolute; empty
    // when no home folder is known.
    static std::string DefaultFolder();

    bool OpenKey(Key parent, const std::string& name, Key& key) override;
    bool CreateKey(Key parent, const std::string& name, Key& key) override;
    bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) override;
    bool SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) override;
    void CloseKey(Key key) override;
    bool LockValues() override;
    void UnlockValues() override;

    const std::string& HivePath() const { return hivePath_; }
    std::size_t OpenKeys() const { return open_.size(); }

private:
    enum class State { Missing, Parsed, TooLarge, Unreadable };
    struct Snapshot {
        State state = State::Missing;
        HiveFile hive;
    };
    enum class Edit { Failed, Unchanged, Changed };

    bool PathBelow(Key parent, const std::string& name, std::string& path) const;
    Snapshot LockedLoad();
    Snapshot Load();
    bool Change(const std::function<Edit(HiveFile&)>& edit);
    bool TakeLock();
    void GiveLockBack(bool taken);

    FileSystem& files_;
    std::string folder_;
    std::string hivePath_;
    std::string lockPath_;
    std::map<Key, std::string> open_;  // key path of every open key
    Key next_ = kCurrentUser + 1;
    FileSystem::Handle lock_ = -1;
    bool valuesLocked_ = false;  // LockValues holds the lock
};

}  // namespace quillora
