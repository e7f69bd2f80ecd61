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
// Several programs may share the file. Reads take the file as it stands, without a lock: it is
// only ever replaced whole. Each change (a new key, a new or different value) happens under an
// exclusive lock on registry.reg.lock beside it: the file is read again, only that key or value
// is changed, and the new text replaces the file in one step. Nothing is written when nothing
// changes, so opening existing keys never writes.
//
// A file that cannot be parsed, or is larger than kLargestHive, reads as an empty hive; the next
// change first moves it aside as registry.reg.broken-<n>, so nothing in it is lost. A file that
// exists but cannot be read makes every change fail and leaves it alone. A folder that cannot be
// created or written makes every change fail; keys that do not exist yet then cannot be opened.
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

    const std::string& HivePath() const { return hivePath_; }
    std::size_t OpenKeys() const { return open_.size(); }

private:
    enum class State { Missing, Parsed, Broken, Unreadable };
    struct Snapshot {
        State state = State::Missing;
        HiveFile hive;
    };
    enum class Edit { Failed, Unchanged, Changed };

    bool PathBelow(Key parent, const std::string& name, std::string& path) const;
    Snapshot Load();
    bool TryRead(std::string& bytes, State& state);
    bool Change(const std::function<Edit(HiveFile&)>& edit);
    bool Save(const std::string& text, bool keepFormerAside);
    std::string AsideName(const std::string& target);

    FileSystem& files_;
    std::string folder_;
    std::string hivePath_;
    std::string lockPath_;
    std::map<Key, std::string> open_;  // key path of every open key
    Key next_ = kCurrentUser + 1;
};

}  // namespace quillora
