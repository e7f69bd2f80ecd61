#pragma once

#include <cstdint>
#include <string>

namespace quillora {

// Value types of the registry, with their Windows numbers.
enum class RegistryType : std::uint32_t { None = 0, Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4 };

// A per-user tree of keys holding typed values, as the Windows registry's current-user hive.
// Key names compare without regard to case. Every opened key is closed by its opener.
class Registry {
public:
    using Key = std::uint64_t;
    static constexpr Key kCurrentUser = 1;  // always open

    virtual ~Registry() = default;

    // Opens an existing key below parent for reading and writing.
    virtual bool OpenKey(Key parent, const std::string& name, Key& key) = 0;
    // Opens the key below parent, creating it when it is missing.
    virtual bool CreateKey(Key parent, const std::string& name, Key& key) = 0;
    // The value's type and its data as stored; false when there is no such value.
    virtual bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) = 0;
    // Creates or replaces one value.
    virtual bool SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) = 0;
    virtual void CloseKey(Key key) = 0;

    // Waits until this process alone may change the current user's values, among every program
    // that uses them, until UnlockValues; the holder's own reads and writes go on meanwhile.
    // Makes a read, a change and a write of one value a single step for other programs.
    virtual bool LockValues() = 0;
    virtual void UnlockValues() = 0;
};

}  // namespace quillora
