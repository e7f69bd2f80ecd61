#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "engine/TextBuffer.h"
#include "platform/Registry.h"

namespace quillora {

// The one section that holds every value of the program.
inline constexpr char kSettingsSection[] = "LU";

// The program's few settings, under HKEY_CURRENT_USER\Software\<registryKey>\<profileName>\<section>.
// Every operation opens and closes its keys; nothing is kept open and no message is shown.
class SettingsStore {
public:
    SettingsStore(Registry& registry, TextBuffer registryKey, TextBuffer profileName)
        : registry_(registry), registryKey_(std::move(registryKey)), profileName_(std::move(profileName)) {}

    // Moves the settings' home to HKEY_CURRENT_USER\Software\<registryKey>\<profileName>.
    void SetHome(TextBuffer registryKey, TextBuffer profileName) {
        registryKey_ = std::move(registryKey);
        profileName_ = std::move(profileName);
    }

    std::int32_t ReadInt(const TextBuffer& section, const TextBuffer& name, std::int32_t defaultValue);
    TextBuffer ReadText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& defaultValue);
    bool WriteInt(const TextBuffer& section, const TextBuffer& name, std::int32_t value);
    bool WriteText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& value);

    // Reads the integer (the default when it cannot be read) and stores what rule makes of it, as
    // one step that no other program's change of the settings comes between. True when stored.
    bool UpdateInt(const TextBuffer& section, const TextBuffer& name, std::int32_t defaultValue,
                   const std::function<std::int32_t(std::int32_t)>& rule);

private:
    bool OpenSection(const TextBuffer& section, Registry::Key& key);
    bool Query(const TextBuffer& section, const TextBuffer& name, std::string& data);
    bool Store(const TextBuffer& section, const TextBuffer& name, RegistryType type, const std::string& data);

    Registry& registry_;
    TextBuffer registryKey_;
    TextBuffer profileName_;
};

}  // namespace quillora
