// The settings in the Windows registry: where they live, what is stored, and that every key
// is closed again. The shared settings tests run on this registry too (settings_tests).
#include "adapters/win32/Win32Registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "storage/SettingsStore.h"
#include "win32/ScratchRegistryKey.h"

namespace quillora {
namespace {

using testing::ScratchRegistryKey;

const std::string kLu = "Software\\Tessaline\\Quillora\\LU";

// HKEY_CURRENT_USER of this process is a scratch key while the object lives.
class CurrentUserRedirected {
public:
    explicit CurrentUserRedirected(HKEY to) { overridden_ = RegOverridePredefKey(HKEY_CURRENT_USER, to) == ERROR_SUCCESS; }
    ~CurrentUserRedirected() { RegOverridePredefKey(HKEY_CURRENT_USER, nullptr); }
    CurrentUserRedirected(const CurrentUserRedirected&) = delete;
    CurrentUserRedirected& operator=(const CurrentUserRedirected&) = delete;
    bool Overridden() const { return overridden_; }

private:
    bool overridden_ = false;
};

class Win32RegistryTest : public ::testing::Test {
protected:
    ScratchRegistryKey hive;
    TextBuffer registryKey{"Tessaline"};
    TextBuffer profileName{"Quillora"};
    const TextBuffer section{"LU"};
};

TEST_F(Win32RegistryTest, TheSettingsLiveUnderTheCurrentUsersSoftwareKey) {
    {
        CurrentUserRedirected redirected(hive.Root());
        ASSERT_TRUE(redirected.Overridden());
        Win32Registry registry;  // HKEY_CURRENT_USER, as the programs make it
        SettingsStore store(registry, registryKey, profileName);
        EXPECT_TRUE(store.WriteInt(section, "Counter", 41));
        EXPECT_TRUE(store.WriteText(section, "SaveDir", "C:\\Web\\"));
        EXPECT_EQ(store.ReadInt(section, "Counter", 0), 41);
        EXPECT_EQ(registry.OpenKeys(), 0u);
    }
    auto counter = hive.Find(kLu, "Counter");
    ASSERT_TRUE(counter.has_value());
    EXPECT_EQ(counter->type, RegistryType::Dword);
    EXPECT_EQ(counter->data, std::string("\x29\0\0\0", 4));
    auto saveDir = hive.Find(kLu, "SaveDir");
    ASSERT_TRUE(saveDir.has_value());
    EXPECT_EQ(saveDir->type, RegistryType::Sz);
    EXPECT_EQ(saveDir->data, std::string("C:\\Web\\\0", 8));
}

// Values put there by hand, as regedit or reg.exe would, with their types and sizes.
TEST_F(Win32RegistryTest, ValuesOfEveryTypeComeBackAsStored) {
    Win32Registry registry(hive.Root());
    const std::string longPath = "C:\\" + std::string(100 * 1024, 'p') + ".html";
    struct Case {
        const char* name;
        RegistryType type;
        std::string data;
    };
    const Case cases[] = {
        {"Counter", RegistryType::Sz, std::string("12345\0", 6)},
        {"Index", RegistryType::Dword, std::string("\x01\0\0\0", 4)},
        {"Terms", RegistryType::Binary, std::string("\x01\0\0\0\0", 5)},
        {"Template", RegistryType::ExpandSz, std::string("%USERPROFILE%\\t.html\0", 21)},
        {"InitDir", RegistryType::Sz, longPath + '\0'},
        {"SaveDir", RegistryType::Binary, ""},
    };
    for (const Case& c : cases) ASSERT_TRUE(hive.Put(kLu, c.name, c.type, c.data)) << c.name;

    Registry::Key software = 0, lu = 0;
    ASSERT_TRUE(registry.OpenKey(Registry::kCurrentUser, "software", software));
    ASSERT_TRUE(registry.OpenKey(software, "tessaline\\quillora\\lu", lu));
    registry.CloseKey(software);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryType type = RegistryType::None;
        std::string data;
        ASSERT_TRUE(registry.QueryValue(lu, c.name, type, data));
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(data, c.data);
    }
    RegistryType type = RegistryType::None;
    std::string data;
    EXPECT_FALSE(registry.QueryValue(lu, "Absent", type, data));
    registry.CloseKey(lu);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(Win32RegistryTest, ReadsCreateTheKeysDownToTheSectionButNoValue) {
    Win32Registry registry(hive.Root());
    SettingsStore store(registry, registryKey, profileName);
    EXPECT_EQ(store.ReadInt(section, "Terms", 0), 0);
    EXPECT_TRUE(hive.HasKey(kLu));
    EXPECT_FALSE(hive.Find(kLu, "Terms").has_value());
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(Win32RegistryTest, AClosedKeyCanNoLongerBeUsed) {
    Win32Registry registry(hive.Root());
    Registry::Key software = 0;
    ASSERT_TRUE(registry.OpenKey(Registry::kCurrentUser, "Software", software));
    EXPECT_EQ(registry.OpenKeys(), 1u);
    registry.CloseKey(software);
    EXPECT_EQ(registry.OpenKeys(), 0u);
    Registry::Key below = 0;
    EXPECT_FALSE(registry.CreateKey(software, "Tessaline", below));
    EXPECT_FALSE(registry.SetValue(software, "Counter", RegistryType::Dword, std::string(4, '\0')));
    EXPECT_FALSE(hive.HasKey("Software\\Tessaline"));
}

TEST_F(Win32RegistryTest, OpenDoesNotCreateAMissingKey) {
    Win32Registry registry(hive.Root());
    Registry::Key key = 0;
    EXPECT_FALSE(registry.OpenKey(Registry::kCurrentUser, "Software\\Tessaline", key));
    EXPECT_FALSE(hive.HasKey("Software\\Tessaline"));
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

}  // namespace
}  // namespace quillora
