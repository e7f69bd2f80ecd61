#include "storage/SettingsStore.h"

#include <cstring>
#include <string>

namespace quillora {

bool SettingsStore::OpenSection(const TextBuffer& section, Registry::Key& key) {
    Registry::Key software = 0;
    if (!registry_.OpenKey(Registry::kCurrentUser, "software", software)) return false;
    Registry::Key company = 0;
    bool opened = registry_.CreateKey(software, std::string(registryKey_.Bytes()), company);
    registry_.CloseKey(software);
    if (!opened) return false;
    Registry::Key product = 0;
    opened = registry_.CreateKey(company, std::string(profileName_.Bytes()), product);
    registry_.CloseKey(company);
    if (!opened) return false;
    opened = registry_.CreateKey(product, std::string(section.Bytes()), key);
    registry_.CloseKey(product);
    return opened;
}

bool SettingsStore::Query(const TextBuffer& section, const TextBuffer& name, std::string& data) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return false;
    RegistryType type = RegistryType::None;  // never checked: every reader takes the data as it is
    bool found = registry_.QueryValue(key, std::string(name.Bytes()), type, data);
    registry_.CloseKey(key);
    return found;
}

bool SettingsStore::Store(const TextBuffer& section, const TextBuffer& name, RegistryType type, const std::string& data) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return false;
    bool stored = registry_.SetValue(key, std::string(name.Bytes()), type, data);
    registry_.CloseKey(key);
    return stored;
}

std::int32_t SettingsStore::ReadInt(const TextBuffer& section, const TextBuffer& name, std::int32_t defaultValue) {
    std::string data;
    if (!Query(section, name, data) || data.size() > 4) return defaultValue;
    // Up to four bytes of any value, least significant first. Shorter data (a one-character
    // REG_SZ, say) gives its bytes as the low end and zero above them, so it is never
    // sign-extended; empty data gives 0.
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

TextBuffer SettingsStore::ReadText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& defaultValue) {
    std::string data;
    if (!Query(section, name, data)) return defaultValue;
    return TextBuffer(std::string_view(data));  // any type, up to its first zero byte
}

bool SettingsStore::WriteInt(const TextBuffer& section, const TextBuffer& name, std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return Store(section, name, RegistryType::Dword, data);
}

bool SettingsStore::WriteText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& value) {
    std::string data(value.Bytes());
    data.push_back('\0');
    return Store(section, name, RegistryType::Sz, data);
}

bool SettingsStore::UpdateInt(const TextBuffer& section, const TextBuffer& name, std::int32_t defaultValue,
                              const std::function<std::int32_t(std::int32_t)>& rule) {
    if (!registry_.LockValues()) return false;
    const bool stored = WriteInt(section, name, rule(ReadInt(section, name, defaultValue)));
    registry_.UnlockValues();
    return stored;
}

}  // namespace quillora
