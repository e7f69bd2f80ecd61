#include "adapters/win32/Win32Registry.h"

#include <windows.h>

namespace quillora {
namespace {

constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

HKEY AsKey(void* handle) { return static_cast<HKEY>(handle); }

}  // namespace

Win32Registry::Win32Registry() : currentUser_(HKEY_CURRENT_USER) {}

Win32Registry::~Win32Registry() {
    for (const auto& [key, handle] : open_) RegCloseKey(AsKey(handle));
    UnlockValues();
}

bool Win32Registry::Native(Key key, void*& handle) const {
    if (key == kCurrentUser) {
        handle = currentUser_;
        return true;
    }
    auto found = open_.find(key);
    if (found == open_.end()) return false;
    handle = found->second;
    return true;
}

Registry::Key Win32Registry::Remember(void* handle) {
    const Key key = next_++;
    open_[key] = handle;
    return key;
}

bool Win32Registry::OpenKey(Key parent, const std::string& name, Key& key) {
    void* below = nullptr;
    HKEY opened = nullptr;
    if (!Native(parent, below) || RegOpenKeyExA(AsKey(below), name.c_str(), 0, kAccess, &opened) != ERROR_SUCCESS) {
        return false;
    }
    key = Remember(opened);
    return true;
}

bool Win32Registry::CreateKey(Key parent, const std::string& name, Key& key) {
    void* below = nullptr;
    HKEY opened = nullptr;
    if (!Native(parent, below) || RegCreateKeyExA(AsKey(below), name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                                                  nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    key = Remember(opened);
    return true;
}

bool Win32Registry::QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) {
    void* handle = nullptr;
    if (!Native(key, handle)) return false;
    // The size first, then the data; a value that grows in between is asked for again.
    DWORD stored = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(AsKey(handle), name.c_str(), nullptr, &stored, nullptr, &size);
    for (int attempt = 0; attempt < 8 && result == ERROR_SUCCESS; ++attempt) {
        std::string bytes(size, '\0');
        DWORD got = size;
        result = RegQueryValueExA(AsKey(handle), name.c_str(), nullptr, &stored, reinterpret_cast<BYTE*>(bytes.data()), &got);
        if (result == ERROR_MORE_DATA) {
            size = got;
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS) break;
        bytes.resize(got < size ? got : size);
        type = static_cast<RegistryType>(stored);
        data = std::move(bytes);
        return true;
    }
    return false;
}

bool Win32Registry::SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) {
    void* handle = nullptr;
    return Native(key, handle) &&
           RegSetValueExA(AsKey(handle), name.c_str(), 0, static_cast<DWORD>(type), reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey(Key key) {
    auto found = open_.find(key);
    if (found == open_.end()) return;
    RegCloseKey(AsKey(found->second));
    open_.erase(found);
}

bool Win32Registry::LockValues() {
    if (valuesLock_ != nullptr) return false;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\Quillora settings");
    if (mutex == nullptr) return false;
    // A holder that ended without letting go hands the lock on as abandoned.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    valuesLock_ = mutex;
    return true;
}

void Win32Registry::UnlockValues() {
    if (valuesLock_ == nullptr) return;
    ReleaseMutex(valuesLock_);
    CloseHandle(valuesLock_);
    valuesLock_ = nullptr;
}

}  // namespace quillora
