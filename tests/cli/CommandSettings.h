#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/TextBuffer.h"
#include "fakes/ScratchFolder.h"
#include "storage/SettingsStore.h"

#ifdef _WIN32
#include <windows.h>

#include "adapters/win32/Win32Registry.h"
#else
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#endif

namespace quillora::testing {

// The settings that a started quillora-create shares with the window. On Linux they are a
// hive file in a scratch configuration folder that the command is pointed to; on Windows they
// are the current user's registry key, which is set aside while the test runs and put back
// at its end (tests that use this hold one CTest resource lock).
class CommandSettings {
public:
    CommandSettings() {
#ifdef _WIN32
        // What an earlier test that died left set aside is the user's own: it is kept.
        if (Exists(kSetAside)) {
            RegDeleteTreeA(HKEY_CURRENT_USER, kHome);
        } else {
            Move(kHome, kSetAside);
        }
#endif
    }
    ~CommandSettings() {
#ifdef _WIN32
        RegDeleteTreeA(HKEY_CURRENT_USER, kHome);
        Move(kSetAside, kHome);
        // Each only when nothing else is in it.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tessaline");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quillora tests");
#endif
    }
    CommandSettings(const CommandSettings&) = delete;
    CommandSettings& operator=(const CommandSettings&) = delete;

    // What the command's environment needs for these settings.
    std::vector<std::string> Environment() const {
#ifdef _WIN32
        return {};
#else
        return {"XDG_CONFIG_HOME=" + config_.Path().string(), "HOME=" + config_.Path().string()};
#endif
    }

    // The settings as the window reads and writes them.
    SettingsStore& Store() { return store_; }

#ifndef _WIN32
    // The settings file as it stands, byte for byte.
    std::string File() const { return ScratchFolder::Read(config_ / "quillora/registry.reg"); }
#endif

    // No settings were made: no file or no key for the program.
    bool Untouched() const {
#ifdef _WIN32
        return !Exists(kHome);
#else
        return config_.Entries().empty();
#endif
    }

private:
#ifdef _WIN32
    static constexpr const char* kHome = "Software\\Tessaline\\Quillora";
    static constexpr const char* kSetAside = "Software\\Quillora tests\\set aside while a test runs";

    static bool Exists(const char* path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    static void Move(const char* from, const char* to) {
        HKEY source = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, from, 0, KEY_READ, &source) != ERROR_SUCCESS) return;
        HKEY target = nullptr;
        RegDeleteTreeA(HKEY_CURRENT_USER, to);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, to, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &target,
                            nullptr) == ERROR_SUCCESS &&
            RegCopyTreeA(source, nullptr, target) == ERROR_SUCCESS) {
            RegCloseKey(source);
            source = nullptr;
            RegDeleteTreeA(HKEY_CURRENT_USER, from);
        }
        if (source != nullptr) RegCloseKey(source);
        if (target != nullptr) RegCloseKey(target);
    }

    Win32Registry registry_;
    Registry& Native() { return registry_; }
#else
    ScratchFolder config_;
    PosixFileSystem files_;
    std::unique_ptr<HiveRegistry> registry_ = std::make_unique<HiveRegistry>(files_, (config_.Path() / "quillora").string());
    Registry& Native() { return *registry_; }
#endif
    TextBuffer registryKey_{"Tessaline"};
    TextBuffer profileName_{"Quillora"};
    SettingsStore store_{Native(), registryKey_, profileName_};
};

}  // namespace quillora::testing
