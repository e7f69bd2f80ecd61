#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/Registry.h"

namespace quillora::testing {

// The four bytes of a REG_DWORD, least significant first.
inline std::string Dword(std::int32_t value) {
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return data;
}

// An in-memory registry. HKEY_CURRENT_USER\Software exists from the start; key names compare
// without regard to case. It can refuse every operation, and counts open keys.
class MemoryRegistry : public Registry {
public:
    MemoryRegistry() { keys_.insert(Lower("\\software")); }

    bool OpenKey(Key parent, const std::string& name, Key& key) override {
        if (refuseAll) return false;
        std::string path = PathOf(parent) + "\\" + Lower(name);
        if (!keys_.count(path)) return false;
        return Open(path, key);
    }
    bool CreateKey(Key parent, const std::string& name, Key& key) override {
        if (refuseAll) return false;
        std::string path = PathOf(parent) + "\\" + Lower(name);
        keys_.insert(path);
        return Open(path, key);
    }
    bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) override {
        auto found = values_.find({PathOf(key), Lower(name)});
        if (refuseAll || found == values_.end()) return false;
        type = found->second.first;
        data = found->second.second;
        return true;
    }
    bool SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) override {
        if (refuseAll || refuseWrites) return false;
        values_[{PathOf(key), Lower(name)}] = {type, data};
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
            path += "\\" + Lower(keyPath.substr(start, end - start));
            keys_.insert(path);
            start = end + 1;
        }
        values_[{path, Lower(name)}] = {type, data};
    }
    bool Get(const std::string& keyPath, const std::string& name, RegistryType& type, std::string& data) const {
        auto found = values_.find({"\\" + Lower(keyPath), Lower(name)});
        if (found == values_.end()) return false;
        type = found->second.first;
        data = found->second.second;
        return true;
    }
    bool HasKey(const std::string& keyPath) const { return keys_.count("\\" + Lower(keyPath)) != 0; }
    std::size_t OpenKeys() const { return open_.size(); }

    bool refuseAll = false;
    bool refuseWrites = false;
    bool valuesLocked = false;

private:
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
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
