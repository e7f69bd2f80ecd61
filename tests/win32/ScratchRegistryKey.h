#pragma once

#include <windows.h>

#include <optional>
#include <random>
#include <string>

#include "platform/Registry.h"

namespace quillora::testing {

// A key of its own below HKEY_CURRENT_USER\Software\Quillora tests, which a test uses as the
// current user's hive; it is removed with everything below it at the end. Without its
// Software key it is a hive in which the program's settings cannot be opened.
class ScratchRegistryKey {
public:
    explicit ScratchRegistryKey(bool withSoftware = true) {
        std::random_device random;
        name_ = "Software\\Quillora tests\\" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(random());
        RegCreateKeyExA(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &root_,
                        nullptr);
        if (withSoftware) {
            HKEY software = nullptr;
            RegCreateKeyExA(root_, "Software", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &software, nullptr);
            RegCloseKey(software);
        }
    }
    ~ScratchRegistryKey() {
        RegCloseKey(root_);
        RegDeleteTreeA(HKEY_CURRENT_USER, name_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillora tests");  // only when no other test's key is in it
    }
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;

    HKEY Root() const { return root_; }
    // Its path below HKEY_CURRENT_USER.
    const std::string& Name() const { return name_; }

    // A value put there as another program or a person would, below the hive's root.
    bool Put(const std::string& keyPath, const std::string& name, RegistryType type, const std::string& data) const {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root_, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        LONG result = RegSetValueExA(key, name.c_str(), 0, static_cast<DWORD>(type),
                                     reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    struct Value {
        RegistryType type;
        std::string data;
    };
    std::optional<Value> Find(const std::string& keyPath, const std::string& name) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root_, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
        DWORD type = 0;
        std::string data(4096, '\0');
        DWORD size = static_cast<DWORD>(data.size());
        LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return std::nullopt;
        data.resize(size);
        return Value{static_cast<RegistryType>(type), data};
    }

    bool HasKey(const std::string& keyPath) const {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root_, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

private:
    std::string name_;
    HKEY root_ = nullptr;
};

}  // namespace quillora::testing
