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

std::int32_t SettingsStore::ReadInt(const TextBuffer& section, const TextBuffer& name, std::int32_t defaultValue) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return defaultValue;
    RegistryType type = RegistryType::None;
    std::string data;
    bool found = registry_.QueryValue(key, std::string(name.Bytes()), type, data);
    registry_.CloseKey(key);
    if (!found || data.size() > 4) return defaultValue;
    // The type is not checked: up to four bytes of any value, least significant first. Shorter
    // data (a one-character REG_SZ, say) gives its bytes as the low end and zero above them, so
    // it is never sign-extended; empty data gives 0.
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return static_cast<std::int32_t>(value);
}

TextBuffer SettingsStore::ReadText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& defaultValue) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return defaultValue;
    RegistryType type = RegistryType::None;
    std::string data;
    bool found = registry_.QueryValue(key, std::string(name.Bytes()), type, data);
    registry_.CloseKey(key);
    return found ? TextBuffer(std::string_view(data)) : defaultValue;  // any type, up to its first zero byte
}

bool SettingsStore::WriteInt(const TextBuffer& section, const TextBuffer& name, std::int32_t value) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return false;
    auto bits = static_cast<std::uint32_t>(value);
    std::string data(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    bool stored = registry_.SetValue(key, std::string(name.Bytes()), RegistryType::Dword, data);
    registry_.CloseKey(key);
    return stored;
}

bool SettingsStore::WriteText(const TextBuffer& section, const TextBuffer& name, const TextBuffer& value) {
    Registry::Key key = 0;
    if (!OpenSection(section, key)) return false;
    std::string data(value.Bytes());
    data.push_back('\0');
    bool stored = registry_.SetValue(key, std::string(name.Bytes()), RegistryType::Sz, data);
    registry_.CloseKey(key);
    return stored;
}

}  // namespace quillora
