#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "engine/AsciiCase.h"
#include "engine/LittleEndian.h"
#include "platform/Registry.h"

namespace quillora::testing {

// The data of a REG_DWORD.
inline std::string Dword(std::int32_t value) { return LittleEndian32(static_cast<std::uint32_t>(value)); }

// An in-memory registry. HKEY_CURRENT_USER\Software exists from the start; key names compare
// without regard to case. It can refuse every operation, and counts open keys.
class MemoryRegistry : public Registry {
public:
    MemoryRegistry() { keys_.insert(Below("software")); }

    bool OpenKey(Key parent, const std::string& name, Key& key) override {
        if (refuseAll) return false;
        std::string path = PathOf(parent) + Below(name);
        if (!keys_.count(path)) return false;
        return Open(path, key);
    }
    bool CreateKey(Key parent, const std::string& name, Key& key) override {
        if (refuseAll) return false;
        std::string path = PathOf(parent) + Below(name);
        keys_.insert(path);
        return Open(path, key);
    }
    bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) override {
        auto found = values_.find({PathOf(key), LoweredAscii(name)});
        if (refuseAll || found == values_.end()) return false;
        type = found->second.first;
        data = found->second.second;
        return true;
    }
    bool SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) override {
        if (refuseAll || refuseWrites) return false;
        values_[{PathOf(key), LoweredAscii(name)}] = {type, data};
        return true;
    }
    void CloseKey(Key key) override { open_.erase(key); }
    // One process: the lock only has to be taken and given back in pairs.
    bool LockValues() override {
        if (refuseAll || valuesLocked) return false;
        valuesLocked = true;
        return true;
    }
    void UnlockValues() override { valuesLocked = false; }

    // A value under HKEY_CURRENT_USER, by its full path such as "Software\\Tessaline\\Quillora\\LU".
    void Put(const std::string& keyPath, const std::string& name, RegistryType type, const std::string& data) {
        std::string path;
        for (std::size_t start = 0; start <= keyPath.size();) {
            std::size_t end = keyPath.find('\\', start);
            if (end == std::string::npos) end = keyPath.size();
            path += Below(keyPath.substr(start, end - start));
            keys_.insert(path);
            start = end + 1;
        }
        values_[{path, LoweredAscii(name)}] = {type, data};
    }
    bool Get(const std::string& keyPath, const std::string& name, RegistryType& type, std::string& data) const {
        auto found = values_.find({Below(keyPath), LoweredAscii(name)});
        if (found == values_.end()) return false;
        type = found->second.first;
        data = found->second.second;
        return true;
    }
    bool HasKey(const std::string& keyPath) const { return keys_.count(Below(keyPath)) != 0; }
    std::size_t OpenKeys() const { return open_.size(); }

    bool refuseAll = false;
    bool refuseWrites = false;
    bool valuesLocked = false;

private:
    // The part of a key path that a name below a key adds: a backslash and the name, lowercased.
    static std::string Below(std::string_view name) {
        std::string part = "\\";
        part += LoweredAscii(name);
        return part;
    }
    std::string PathOf(Key key) const {
        if (key == kCurrentUser) return "";
        auto found = open_.find(key);
        return found == open_.end() ? "\\<closed>" : found->second;
    }
    bool Open(const std::string& path, Key& key) {
        key = next_++;
        open_[key] = path;
        return true;
    }

    std::set<std::string> keys_;
    std::map<std::pair<std::string, std::string>, std::pair<RegistryType, std::string>> values_;
    std::map<Key, std::string> open_;
    Key next_ = 100;
};

}  // namespace quillora::testing
