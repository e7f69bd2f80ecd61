#include "storage/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#ifdef _WIN32
#include "adapters/win32/Win32Registry.h"
#include "win32/ScratchRegistryKey.h"
#else
#include "adapters/posix/HiveFile.h"
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#endif

namespace quillora {
namespace {

const std::string kLu = "Software\\Tessaline\\Quillora\\LU";

struct Stored {
    RegistryType type;
    std::string data;
};

std::string Text(const TextBuffer& text) { return std::string(text.Bytes()); }

using testing::Dword;

// A registry for the store, and a way past the store to what it holds.
class Backend {
public:
    virtual ~Backend() = default;
    virtual Registry& Get() = 0;
    // A value under HKEY_CURRENT_USER\keyPath, put there as another program or a person would.
    virtual void Put(const std::string& keyPath, const std::string& name, const Stored& value) = 0;
    virtual std::optional<Stored> Find(const std::string& keyPath, const std::string& name) = 0;
    virtual bool HasKey(const std::string& keyPath) = 0;
    virtual std::size_t OpenKeys() = 0;
};

class MemoryBackend : public Backend {
public:
    explicit MemoryBackend(bool unavailable) { registry.refuseAll = unavailable; }
    Registry& Get() override { return registry; }
    void Put(const std::string& keyPath, const std::string& name, const Stored& value) override {
        registry.Put(keyPath, name, value.type, value.data);
    }
    std::optional<Stored> Find(const std::string& keyPath, const std::string& name) override {
        Stored value{};
        if (!registry.Get(keyPath, name, value.type, value.data)) return std::nullopt;
        return value;
    }
    bool HasKey(const std::string& keyPath) override { return registry.HasKey(keyPath); }
    std::size_t OpenKeys() override { return registry.OpenKeys(); }

    testing::MemoryRegistry registry;
};

#ifdef _WIN32
// The Windows registry, in a key of the test's own that stands for HKEY_CURRENT_USER; an
// unavailable one has no Software key.
class NativeBackend : public Backend {
public:
    static constexpr const char* kName = "Win32Registry";
    static constexpr bool kKeysAtFirstRead = true;  // as the registry makes them

    explicit NativeBackend(bool unavailable) : hive(!unavailable), registry(hive.Root()) {}
    Registry& Get() override { return registry; }
    void Put(const std::string& keyPath, const std::string& name, const Stored& value) override {
        ASSERT_TRUE(hive.Put(keyPath, name, value.type, value.data));
    }
    std::optional<Stored> Find(const std::string& keyPath, const std::string& name) override {
        auto value = hive.Find(keyPath, name);
        if (!value) return std::nullopt;
        return Stored{value->type, value->data};
    }
    bool HasKey(const std::string& keyPath) override { return hive.HasKey(keyPath); }
    std::size_t OpenKeys() override { return registry.OpenKeys(); }

private:
    testing::ScratchRegistryKey hive;
    Win32Registry registry;
};
#else
// The hive file in a scratch folder; an unavailable one lives below a plain file, where no
// folder can be made.
class NativeBackend : public Backend {
public:
    static constexpr const char* kName = "HiveRegistry";
    static constexpr bool kKeysAtFirstRead = false;  // a read never writes the file

    explicit NativeBackend(bool unavailable) {
        std::string where = folder / "config";
        if (unavailable) {
            testing::ScratchFolder::Write(folder / "plain", "a file, not a folder");
            where = folder / "plain";
        }
        registry = std::make_unique<HiveRegistry>(files, where + "/quillora");
    }
    Registry& Get() override { return *registry; }
    void Put(const std::string& keyPath, const std::string& name, const Stored& value) override {
        HiveFile hive = Current();
        ASSERT_TRUE(hive.SetValue("HKEY_CURRENT_USER\\" + keyPath, name, value.type, value.data));
        std::filesystem::create_directories(std::filesystem::path(registry->HivePath()).parent_path());
        testing::ScratchFolder::Write(registry->HivePath(), hive.Write());
    }
    std::optional<Stored> Find(const std::string& keyPath, const std::string& name) override {
        HiveFile hive = Current();
        const HiveValue* value = hive.FindValue("HKEY_CURRENT_USER\\" + keyPath, name);
        if (value == nullptr) return std::nullopt;
        return Stored{value->type, value->data};
    }
    bool HasKey(const std::string& keyPath) override { return Current().HasKey("HKEY_CURRENT_USER\\" + keyPath); }
    std::size_t OpenKeys() override { return registry->OpenKeys(); }

private:
    HiveFile Current() {
        const HiveFile hive = HiveFile::Parse(testing::ScratchFolder::Read(registry->HivePath()));
        EXPECT_TRUE(hive.KeptLines().empty()) << "the hive file holds lines not understood";
        return hive;
    }

    testing::ScratchFolder folder;
    PosixFileSystem files;
    std::unique_ptr<HiveRegistry> registry;
};

#endif

// The test registry, and the registry of the platform the tests run on.
enum class Kind { Memory, Native };

std::unique_ptr<Backend> MakeBackend(Kind kind, bool unavailable = false) {
    if (kind == Kind::Memory) return std::make_unique<MemoryBackend>(unavailable);
    return std::make_unique<NativeBackend>(unavailable);
}

class SettingsStoreTest : public ::testing::TestWithParam<Kind> {
protected:
    // The application object's texts: the home is fixed from the product name at start-up.
    TextBuffer applicationName{"Quillora"};
    TextBuffer registryKey{"Tessaline"};
    TextBuffer profileName{applicationName};
    const TextBuffer section{"LU"};

    std::unique_ptr<Backend> backend = MakeBackend(GetParam());
    SettingsStore store{backend->Get(), registryKey, profileName};
};

// The registry makes the keys down to the section at the first read; the settings file is never
// written by a read, so there its keys come with the first value written.
TEST_P(SettingsStoreTest, FirstRunGivesTheDefaultsAndLeavesTheKeysDownToTheSectionWithoutValues) {
    EXPECT_EQ(store.ReadInt(section, "Terms", 0), 0);
    EXPECT_EQ(Text(store.ReadText(section, "Template", "")), std::string(""));
    EXPECT_EQ(store.ReadInt(section, "Index", 1), 1);
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 0);
    EXPECT_EQ(Text(store.ReadText(section, "InitDir", "")), std::string(""));
    EXPECT_EQ(Text(store.ReadText(section, "SaveDir", "")), std::string(""));

    const bool keysMade = GetParam() == Kind::Memory || NativeBackend::kKeysAtFirstRead;
    EXPECT_EQ(backend->HasKey("Software\\Tessaline"), keysMade);
    EXPECT_EQ(backend->HasKey("Software\\Tessaline\\Quillora"), keysMade);
    EXPECT_EQ(backend->HasKey(kLu), keysMade);
    for (const char* name : {"Terms", "Template", "Index", "Counter", "InitDir", "SaveDir"}) {
        EXPECT_FALSE(backend->Find(kLu, name).has_value()) << name;
    }
    EXPECT_EQ(backend->OpenKeys(), 0u);
}

TEST_P(SettingsStoreTest, ReadIntTakesUpToFourBytesOfAnyType) {
    struct Case {
        const char* what;
        const char* name;
        Stored stored;
        std::int32_t defaultValue;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Counter 41", "Counter", {RegistryType::Dword, Dword(41)}, 0, 41},
        {"negative number", "Counter", {RegistryType::Dword, Dword(-42)}, 0, -42},
        {"Index 0 is not the default", "Index", {RegistryType::Dword, Dword(0)}, 1, 0},
        {"REG_SZ 12345 is six bytes with its zero", "Counter", {RegistryType::Sz, std::string("12345\0", 6)}, 0, 0},
        {"REG_SZ 12345 gives the default, whatever it is", "Index", {RegistryType::Sz, std::string("12345\0", 6)}, 1, 1},
        {"five bytes of binary", "Terms", {RegistryType::Binary, std::string("\1\0\0\0\0", 5)}, 0, 0},
        {"four-byte REG_SZ is taken as its bytes", "Counter", {RegistryType::Sz, std::string("abc\0", 4)}, 0, 0x00636261},
        {"one byte", "Counter", {RegistryType::Binary, "\x07"}, 0, 7},
        {"two bytes, least significant first", "Counter", {RegistryType::Binary, "\x34\x12"}, 0, 0x1234},
        {"three high bytes are not sign-extended", "Counter", {RegistryType::Binary, "\xFF\xFF\xFF"}, 0, 0x00FFFFFF},
        {"one-character REG_SZ", "Counter", {RegistryType::Sz, std::string("7\0", 2)}, 0, '7'},
        {"empty data is 0, not the default", "Terms", {RegistryType::Binary, ""}, 9, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        backend->Put(kLu, test.name, test.stored);
        EXPECT_EQ(store.ReadInt(section, test.name, test.defaultValue), test.expected);
    }
    backend->Put(kLu, "COUNTER", {RegistryType::Dword, Dword(77)});
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 77);  // value names ignore case too
    EXPECT_EQ(store.ReadInt(section, "Absent", -7), -7);
    EXPECT_EQ(backend->OpenKeys(), 0u);
}

TEST_P(SettingsStoreTest, ReadTextTakesAnyTypeUpToItsFirstZeroByte) {
    struct Case {
        const char* what;
        Stored stored;
        const char* expected;
    };
    const Case cases[] = {
        {"REG_SZ", {RegistryType::Sz, std::string("/home/ann/site/template.html\0", 29)}, "/home/ann/site/template.html"},
        {"REG_EXPAND_SZ is not expanded", {RegistryType::ExpandSz, std::string("%HOME%/x\0", 9)}, "%HOME%/x"},
        {"REG_BINARY up to its zero", {RegistryType::Binary, std::string("ab\0cd", 5)}, "ab"},
        {"REG_DWORD of three letters", {RegistryType::Dword, std::string("ABC\0", 4)}, "ABC"},
        {"REG_DWORD 65", {RegistryType::Dword, Dword(65)}, "A"},
        {"REG_SZ without its zero is taken whole", {RegistryType::Sz, "abc"}, "abc"},
        {"empty data is empty, not the default", {RegistryType::Sz, ""}, ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        backend->Put(kLu, "Template", test.stored);
        EXPECT_EQ(Text(store.ReadText(section, "Template", "fallback")), std::string(test.expected));
    }
    EXPECT_EQ(Text(store.ReadText(section, "Absent", "fallback")), std::string("fallback"));
    EXPECT_EQ(backend->OpenKeys(), 0u);
}

TEST_P(SettingsStoreTest, WritesStoreDwordsAndZeroTerminatedTexts) {
    for (std::int32_t value : {41, 0, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        SCOPED_TRACE(value);
        EXPECT_TRUE(store.WriteInt(section, "Counter", value));
        EXPECT_EQ(store.ReadInt(section, "Counter", 12345), value);
        std::optional<Stored> stored = backend->Find(kLu, "Counter");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, RegistryType::Dword);
        EXPECT_EQ(stored->data, Dword(value));
    }
    for (const char* text : {"/home/ann/site/", "", "C:\\", "quote \" back\\slash = [x] ;", "\xC3\xA9t\xC3\xA9 \x80\xFF",
                             "line\r\nbreak\n", "\\"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(store.WriteText(section, "SaveDir", text));
        EXPECT_EQ(Text(store.ReadText(section, "SaveDir", "fallback")), std::string(text));
        std::optional<Stored> stored = backend->Find(kLu, "SaveDir");
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, RegistryType::Sz);
        EXPECT_EQ(stored->data, std::string(text) + '\0');
    }
    EXPECT_EQ(backend->OpenKeys(), 0u);
}

TEST_P(SettingsStoreTest, TheHomeNeverFollowsTheApplicationName) {
    EXPECT_TRUE(store.WriteInt(section, "Counter", 41));
    applicationName = "Reseller's Own Title";  // the window takes the branding title
    EXPECT_TRUE(store.WriteInt(section, "Counter", 42));
    EXPECT_TRUE(store.WriteText(section, "Template", "/t.html"));
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 42);

    std::optional<Stored> counter = backend->Find(kLu, "Counter");
    ASSERT_TRUE(counter.has_value());
    EXPECT_EQ(counter->data, Dword(42));
    EXPECT_TRUE(backend->Find(kLu, "Template").has_value());
    EXPECT_FALSE(backend->HasKey("Software\\Tessaline\\Reseller's Own Title"));
}

TEST_P(SettingsStoreTest, TheHomeIsWhatWasLastSetAndACopyOfTheTextsGiven) {
    TextBuffer key("Elsewhere");
    TextBuffer profile("Other");
    SettingsStore early(backend->Get(), key, profile);  // made before start-up fixes the home
    key = "Changed";                                    // the store keeps its own copy
    EXPECT_TRUE(early.WriteInt(section, "Counter", 4));
    EXPECT_TRUE(backend->Find("Software\\Elsewhere\\Other\\LU", "Counter").has_value());

    early.SetHome("Tessaline", "Quillora");
    EXPECT_TRUE(early.WriteInt(section, "Counter", 5));
    std::optional<Stored> counter = backend->Find(kLu, "Counter");
    ASSERT_TRUE(counter.has_value());
    EXPECT_EQ(counter->data, Dword(5));
}

TEST_P(SettingsStoreTest, KeysAreFoundWithoutRegardToCase) {
    backend->Put("SOFTWARE\\tessaline\\QUILLORA\\lu", "Counter", {RegistryType::Dword, Dword(41)});
    backend->Put("SOFTWARE\\tessaline\\QUILLORA\\lu", "Template", {RegistryType::Sz, std::string("/a.html\0", 8)});
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 41);
    EXPECT_EQ(Text(store.ReadText(section, "Template", "")), std::string("/a.html"));
    EXPECT_TRUE(store.WriteInt(section, "Counter", 42));
    std::optional<Stored> counter = backend->Find("software\\TESSALINE\\quillora\\Lu", "counter");
    ASSERT_TRUE(counter.has_value());
    EXPECT_EQ(counter->data, Dword(42));
}

TEST_P(SettingsStoreTest, NoKeyStaysOpenAfterAnyOperation) {
    auto expectNoneOpen = [&](const char* after) { EXPECT_EQ(backend->OpenKeys(), 0u) << "after " << after; };
    store.ReadInt(section, "Terms", 0);
    expectNoneOpen("ReadInt of a missing value");
    store.WriteInt(section, "Terms", 1);
    expectNoneOpen("WriteInt");
    store.ReadInt(section, "Terms", 0);
    expectNoneOpen("ReadInt");
    store.WriteText(section, "Template", "/t.html");
    expectNoneOpen("WriteText");
    store.ReadText(section, "Template", "");
    expectNoneOpen("ReadText");
    store.ReadText(section, "Missing", "");
    expectNoneOpen("ReadText of a missing value");
    store.WriteText(section, TextBuffer("line\nbreak"), "x");  // a name the hive file cannot hold
    expectNoneOpen("WriteText of an odd name");
}

TEST_P(SettingsStoreTest, AnUnavailableSectionGivesDefaultsAndFailedWrites) {
    std::unique_ptr<Backend> unavailable = MakeBackend(GetParam(), true);
    SettingsStore refused(unavailable->Get(), registryKey, profileName);
    EXPECT_EQ(refused.ReadInt(section, "Terms", 0), 0);
    EXPECT_EQ(refused.ReadInt(section, "Index", 1), 1);
    EXPECT_EQ(Text(refused.ReadText(section, "Template", "fallback")), std::string("fallback"));
    EXPECT_FALSE(refused.WriteInt(section, "Terms", 1));
    EXPECT_FALSE(refused.WriteText(section, "Template", "/t.html"));
    EXPECT_EQ(refused.ReadInt(section, "Terms", 0), 0);  // the next start asks for the terms again
    EXPECT_EQ(unavailable->OpenKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Registries, SettingsStoreTest, ::testing::Values(Kind::Memory, Kind::Native),
                         [](const ::testing::TestParamInfo<Kind>& kind) {
                             return kind.param == Kind::Memory ? std::string("MemoryRegistry") : std::string(NativeBackend::kName);
                         });

}  // namespace
}  // namespace quillora
