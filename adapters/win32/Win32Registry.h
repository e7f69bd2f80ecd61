#pragma once

#include <map>

#include "platform/Registry.h"

namespace quillora {

// The current user's registry through the ANSI API. Every key is opened for reading and
// writing; keys are closed by their opener and none is kept open by the adapter itself.
class Win32Registry : public Registry {
public:
    Win32Registry();  // HKEY_CURRENT_USER
    // Another open key stands for HKEY_CURRENT_USER: a test's own hive. It stays the caller's.
    explicit Win32Registry(void* currentUser) : currentUser_(currentUser) {}
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

    bool OpenKey(Key parent, const std::string& name, Key& key) override;
    bool CreateKey(Key parent, const std::string& name, Key& key) override;
    bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) override;
    bool SetValue(Key key, const std::string& name, RegistryType type, const std::string& data) override;
    void CloseKey(Key key) override;
    // A mutex of the user's session that every copy of the program waits for.
    bool LockValues() override;
    void UnlockValues() override;

    // Keys opened through this object and not closed yet.
    std::size_t OpenKeys() const { return open_.size(); }

private:
    bool Native(Key key, void*& handle) const;
    Key Remember(void* handle);

    void* currentUser_;
    void* valuesLock_ = nullptr;
    std::map<Key, void*> open_;  // the system's handle of every open key
    Key next_ = kCurrentUser + 1;
};

}  // namespace quillora
