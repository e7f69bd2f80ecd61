#include "adapters/posix/HiveRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "fakes/FaultyFileSystem.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#include "adapters/posix/HiveFile.h"
#include "adapters/posix/PosixFileSystem.h"
#include "storage/SettingsStore.h"

namespace quillora {
namespace {

using Step = testing::FaultyFileSystem::Step;
using testing::ScratchFolder;

const std::string kLu = "HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU";
const std::string kHead = "REGEDIT4\n\n[" + kLu + "]\n";

std::string Text(const TextBuffer& text) { return std::string(text.Bytes()); }

using testing::Dword;

class HiveRegistryTest : public ::testing::Test {
protected:
    std::string HivePath() const { return folder / "registry.reg"; }
    std::string HiveText() const { return ScratchFolder::Read(HivePath()); }
    HiveFile Hive() const { return HiveFile::Parse(HiveText()); }
    // Only the hive file and its lock file, never a temporary or a kept-aside file.
    void ExpectOnlyTheHiveFiles() const {
        for (const std::string& name : folder.Entries()) {
            EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << "stray file " << name;
        }
    }

    ScratchFolder folder;
    testing::FaultyFileSystem files;
    HiveRegistry registry{files, folder.Path().string()};
    TextBuffer registryKey{"Tessaline"};
    TextBuffer profileName{"Quillora"};
    const TextBuffer section{"LU"};
    SettingsStore store{registry, registryKey, profileName};
};

TEST_F(HiveRegistryTest, TheSixValuesMakeAHandEditableFile) {
    EXPECT_TRUE(store.WriteInt(section, "Terms", 1));
    EXPECT_TRUE(store.WriteText(section, "InitDir", "/home/ann/site"));
    EXPECT_TRUE(store.WriteText(section, "Template", "/home/ann/site/template.html"));
    EXPECT_TRUE(store.WriteInt(section, "Index", 1));
    EXPECT_TRUE(store.WriteText(section, "SaveDir", "/home/ann/site/articles/"));
    EXPECT_TRUE(store.WriteInt(section, "Counter", 2));

    EXPECT_EQ(HiveText(),
              "REGEDIT4\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n"
              "\"Terms\"=dword:00000001\n"
              "\"InitDir\"=\"/home/ann/site\"\n"
              "\"Template\"=\"/home/ann/site/template.html\"\n"
              "\"Index\"=dword:00000001\n"
              "\"SaveDir\"=\"/home/ann/site/articles/\"\n"
              "\"Counter\"=dword:00000002\n"
              "\n");

    // The next run reads them back.
    PosixFileSystem plain;
    HiveRegistry nextRun(plain, folder.Path().string());
    SettingsStore next(nextRun, registryKey, profileName);
    EXPECT_EQ(next.ReadInt(section, "Terms", 0), 1);
    EXPECT_EQ(Text(next.ReadText(section, "Template", "")), std::string("/home/ann/site/template.html"));
    EXPECT_EQ(next.ReadInt(section, "Index", 1), 1);
    EXPECT_EQ(next.ReadInt(section, "Counter", 0), 2);
    EXPECT_EQ(Text(next.ReadText(section, "InitDir", "")), std::string("/home/ann/site"));
    EXPECT_EQ(Text(next.ReadText(section, "SaveDir", "")), std::string("/home/ann/site/articles/"));
    ExpectOnlyTheHiveFiles();
}

TEST_F(HiveRegistryTest, AHandWrittenKeyIsFoundWhateverItsCaseAndKeepsIt) {
    ScratchFolder::Write(HivePath(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\tessaline\\QUILLORA\\lu]\r\n\"Counter\"=dword:00000029\r\n");
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 41);
    EXPECT_TRUE(store.WriteInt(section, "Counter", 42));
    EXPECT_EQ(HiveText(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\tessaline\\QUILLORA\\lu]\n\"Counter\"=dword:0000002a\n\n");
}

TEST_F(HiveRegistryTest, ReadsNeverWriteTheFileAndWritesOnlyWhatChanges) {
    for (int run = 0; run < 3; ++run) {
        store.ReadInt(section, "Terms", 0);
        store.ReadText(section, "Template", "");
        store.ReadInt(section, "Index", 1);
        store.ReadInt(section, "Counter", 0);
        store.ReadText(section, "InitDir", "");
        store.ReadText(section, "SaveDir", "");
    }
    EXPECT_EQ(files.Calls(Step::CreateBeside), 0);
    EXPECT_FALSE(std::filesystem::exists(HivePath()));

    EXPECT_TRUE(store.WriteInt(section, "Counter", 7));  // the keys come with it
    EXPECT_EQ(files.Calls(Step::CreateBeside), 1);
    EXPECT_TRUE(Hive().HasKey(kLu));
    const std::string written = HiveText();
    store.ReadInt(section, "Counter", 0);
    store.ReadText(section, "Template", "");
    EXPECT_TRUE(store.WriteInt(section, "Counter", 7));  // the same value again changes nothing
    EXPECT_EQ(files.Calls(Step::CreateBeside), 1);
    EXPECT_EQ(HiveText(), written);
}

TEST_F(HiveRegistryTest, SoftwareAlwaysExistsAndIsOpenedNotCreated) {
    Registry::Key software = 0;
    ASSERT_TRUE(registry.OpenKey(Registry::kCurrentUser, "SOFTWARE", software));
    registry.CloseKey(software);
    Registry::Key missing = 0;
    EXPECT_FALSE(registry.OpenKey(Registry::kCurrentUser, "Software\\Tessaline", missing));
    EXPECT_FALSE(std::filesystem::exists(HivePath()));  // opening wrote nothing
    EXPECT_EQ(files.Calls(Step::CreateBeside), 0);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

TEST_F(HiveRegistryTest, NamesAndTextsWithOddBytesComeBackExactly) {
    struct Case {
        const char* what;
        std::string name;
        std::string text;
        bool storable;
        bool hexForm;  // a quoted text cannot carry it
    };
    const Case cases[] = {
        {"quotes", "say \"hi\"", "\"quoted\" \"", true, false},
        {"backslashes", "back\\slash\\", "C:\\dir\\", true, false},
        {"a backslash before a quote", "a\\\"b", "\\\"", true, false},
        {"= and [ ]", "a=b[c]", "[HKEY_CURRENT_USER\\x]=\"y\"", true, false},
        {"; at the start", ";not a comment", ";x", true, false},
        {"bytes 0x80-0xFF", "\xC3\xA9t\xC3\xA9\x80\xFF", "\xFE\xFF\x80 \xC3\xA9", true, false},
        {"blanks around", "  spaced  ", "  spaced  ", true, false},
        {"the default value", "", "default", true, false},
        {"CR and LF in a text", "Lines", "one\r\ntwo\n", true, true},
        {"a lone CR at the end of a text", "Tail", "tail\r", true, true},
        {"CR in a name", "CR\rname", "x", false, false},
        {"LF in a name", "LF\nname", "x", false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const TextBuffer name(test.name);
        const TextBuffer text(test.text);
        EXPECT_EQ(store.WriteText(section, name, text), test.storable);

        PosixFileSystem plain;
        HiveRegistry nextRun(plain, folder.Path().string());
        SettingsStore next(nextRun, registryKey, profileName);
        EXPECT_EQ(Text(next.ReadText(section, name, "default")), Text(test.storable ? text : TextBuffer("default")));
        const HiveFile hive = Hive();
        const HiveValue* value = hive.FindValue(kLu, test.name);
        ASSERT_EQ(value != nullptr, test.storable);
        if (value != nullptr) {
            EXPECT_EQ(value->name, test.name);
            EXPECT_EQ(value->data, test.text + '\0');
            EXPECT_EQ(HiveText().find("=hex(1):") != std::string::npos, test.hexForm);
        }
        std::filesystem::remove(HivePath());  // each case on its own file
    }
}

TEST_F(HiveRegistryTest, KeyNamesWithOddBytesComeBackExactly) {
    registryKey = "Tess\"a[l]ine= \xC3\xA9\x80";
    profileName = "Quill]ora ";
    store.SetHome(registryKey, profileName);
    EXPECT_TRUE(store.WriteInt(section, "Counter", 9));
    EXPECT_NE(HiveText().find("[HKEY_CURRENT_USER\\Software\\Tess\"a[l]ine= \xC3\xA9\x80\\Quill]ora \\LU]\n"), std::string::npos);
    PosixFileSystem plain;
    HiveRegistry nextRun(plain, folder.Path().string());
    SettingsStore next(nextRun, registryKey, profileName);
    EXPECT_EQ(next.ReadInt(section, "Counter", 0), 9);

    store.SetHome("Line\nBreak", profileName);  // a key name the file cannot hold: defaults, and nothing stored
    EXPECT_FALSE(store.WriteInt(section, "Counter", 10));
    EXPECT_EQ(store.ReadInt(section, "Counter", -1), -1);
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

// Lines that cannot be understood are kept as they are and skipped; every other value counts. A
// read leaves the file byte for byte as it was; a change keeps every such line.
TEST_F(HiveRegistryTest, LinesNotUnderstoodAreKeptAndTheOtherValuesCount) {
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>(random() & 0xFF));
    garbage.erase(std::remove(garbage.begin(), garbage.end(), '['), garbage.end());  // no header by chance
    const std::string header = "[" + kLu + "]";
    struct Case {
        const char* what;
        std::string content;
        std::int32_t counter;
        std::string templateText;
        std::vector<std::string> kept;  // the lines not understood, as the file holds them
    };
    const Case cases[] = {
        {"an empty file", "", 0, "", {}},
        {"a comment among good lines",
         kHead + "; the counter of the newsletter\n\"Counter\"=dword:00000029\n\"Template\"=\"/t.html\"\n", 41, "/t.html",
         {"; the counter of the newsletter"}},
        {"a comment behind a value", kHead + "\"Counter\"=dword:00000029 ; last issue\n\"Template\"=\"/t.html\"\n", 0,
         "/t.html", {"\"Counter\"=dword:00000029 ; last issue"}},
        {"an unknown type among good lines",
         kHead + "\"Template\"=\"/t.html\"\n\"Colour\"=qword:0000000000000001\n\"Counter\"=dword:00000029\n", 41, "/t.html",
         {"\"Colour\"=qword:0000000000000001"}},
        {"regedit's delete forms", kHead + "\"Counter\"=dword:00000029\n\"Old\"=-\n[-HKEY_CURRENT_USER\\Software\\Old]\n", 41,
         "", {"\"Old\"=-", "[-HKEY_CURRENT_USER\\Software\\Old]"}},
        {"truncated in its first line", "REGED", 0, "", {"REGED"}},
        {"truncated in a key header", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessa", 0, "",
         {"[HKEY_CURRENT_USER\\Software\\Tessa"}},
        {"truncated in a text", kHead + "\"Counter\"=dword:00000029\n\"Template\"=\"/home/ann/te", 41, "",
         {"\"Template\"=\"/home/ann/te"}},
        {"a value line without a closing quote", kHead + "\"Template\"=\"/t.html\n\"Counter\"=dword:00000029\n", 41, "",
         {"\"Template\"=\"/t.html"}},
        {"a header not understood hides the values under it",
         "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU\n\"Counter\"=dword:00000029\n\n" + header +
             "\n\"Template\"=\"/t.html\"\n",
         0, "/t.html", {"[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU", "\"Counter\"=dword:00000029"}},
        {"binary garbage", garbage, 0, "", {}},
        {"CRLF line ends", "REGEDIT4\r\n\r\n" + header + "\r\n\"Counter\"=dword:00000029\r\nnonsense\r\n\"Template\"=\"/t.html\"\r\n",
         41, "/t.html", {"nonsense\r"}},
        {"quotes, backslashes, = and [ in a text", kHead + "\"Template\"=\"/q\\\"x\\\\y=[z]\"\n", 0, "/q\"x\\y=[z]", {}},
        {"CR and LF in a hex(1) text", kHead + "\"Template\"=hex(1):61,0d,0a,62,00\n", 0, "a\r\nb", {}},
        {"a zero byte inside a quoted text", kHead + std::string("\"Template\"=\"/a\0b\"\n", 18), 0, "/a", {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder scratch;
        const std::string hivePath = scratch / "registry.reg";
        ScratchFolder::Write(hivePath, test.content);
        PosixFileSystem plain;
        HiveRegistry hive(plain, scratch.Path().string());
        SettingsStore settings(hive, registryKey, profileName);

        EXPECT_EQ(settings.ReadInt(section, "Terms", 0), 0);
        EXPECT_EQ(settings.ReadInt(section, "Counter", 0), test.counter);
        EXPECT_EQ(Text(settings.ReadText(section, "Template", "")), test.templateText);
        EXPECT_EQ(settings.ReadInt(section, "Index", 1), 1);
        if (!test.content.empty()) {
            EXPECT_EQ(ScratchFolder::Read(hivePath), test.content) << "a read changed the file";
        }
        if (test.content != garbage) {
            EXPECT_EQ(HiveFile::Parse(test.content).KeptLines(), test.kept);
        }

        EXPECT_TRUE(settings.WriteInt(section, "Terms", 1));
        const std::string after = ScratchFolder::Read(hivePath);
        EXPECT_EQ(HiveFile::Parse(after).KeptLines(), HiveFile::Parse(test.content).KeptLines());
        for (const std::string& line : test.kept) EXPECT_NE(after.find(line + "\n"), std::string::npos) << line;
        EXPECT_EQ(settings.ReadInt(section, "Terms", 0), 1);
        EXPECT_EQ(settings.ReadInt(section, "Counter", 0), test.counter);
        EXPECT_EQ(Text(settings.ReadText(section, "Template", "")), test.templateText);
        EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    }
}

// The limit bounds what a hand-made file can make the program read; the program never writes
// past it, and never replaces a file that is past it.
TEST_F(HiveRegistryTest, TheSizeLimitIsKeptByReadsAndByWrites) {
    const std::string head = kHead + "\"Counter\"=dword:00000029\n\"Filler\"=\"";
    const auto fill = [&](std::int64_t size) {
        return head + std::string(static_cast<std::size_t>(size) - head.size() - 3, 'x') + "\"\n\n";
    };
    struct Case {
        const char* what;
        std::int64_t size;
        std::string text;  // the Template written
        bool readable;
        bool written;
    };
    const Case cases[] = {
        {"a file near the limit, a short change", HiveRegistry::kLargestHive - 64, "/t.html", true, true},
        {"a file near the limit, a change past it", HiveRegistry::kLargestHive - 64, std::string(100, 't'), true, false},
        {"a file just past the limit", HiveRegistry::kLargestHive + 1, "/t.html", false, false},
        {"a file of a hundred mebibytes", std::int64_t{100} << 20, "/t.html", false, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const std::string former = fill(test.size);
        ASSERT_EQ(static_cast<std::int64_t>(former.size()), test.size);
        ScratchFolder::Write(HivePath(), former);
        EXPECT_EQ(store.ReadInt(section, "Counter", 0), test.readable ? 41 : 0);
        EXPECT_EQ(store.WriteText(section, "Template", TextBuffer(test.text)), test.written);
        const std::string after = HiveText();
        EXPECT_LE(static_cast<std::int64_t>(after.size()), std::max(test.size, HiveRegistry::kLargestHive));
        if (test.written) {
            EXPECT_EQ(Text(store.ReadText(section, "Template", "")), test.text);
        } else {
            EXPECT_TRUE(after == former) << "the file was changed";
        }
        ExpectOnlyTheHiveFiles();
    }
}

TEST_F(HiveRegistryTest, AFileThatCannotBeReadIsLeftAlone) {
    std::filesystem::create_directory(HivePath());  // something that is not a file stands in its place
    EXPECT_EQ(store.ReadInt(section, "Counter", 3), 3);
    EXPECT_FALSE(store.WriteInt(section, "Counter", 4));
    EXPECT_TRUE(std::filesystem::is_directory(HivePath()));
    EXPECT_EQ(registry.OpenKeys(), 0u);
    ExpectOnlyTheHiveFiles();
}

TEST_F(HiveRegistryTest, AHiveBehindASymbolicLinkIsWrittenWhereTheLinkPoints) {
    std::filesystem::create_directory(folder / "dotfiles");
    ScratchFolder::Write(folder / "dotfiles/quillora.reg", kHead + "\"Counter\"=dword:00000029\n");
    std::filesystem::create_symlink(folder / "dotfiles/quillora.reg", HivePath());
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 41);
    EXPECT_TRUE(store.WriteInt(section, "Counter", 42));
    EXPECT_TRUE(std::filesystem::is_symlink(HivePath()));
    EXPECT_EQ(ScratchFolder::Read(folder / "dotfiles/quillora.reg"), kHead + "\"Counter\"=dword:0000002a\n\n");
}

// Each step of a change fails once; the change reports it and the former file stays as it was.
TEST_F(HiveRegistryTest, AFailedStepLeavesTheFormerFileWhole) {
    const std::string valid = kHead + "\"Counter\"=dword:00000029\n";
    const std::string kept = kHead + "\"Counter\"=dword:00000029 ; last issue\n";
    struct Case {
        const char* what;
        const std::string& former;
        Step step;
    };
    const Case cases[] = {
        {"taking the lock", valid, Step::Lock},
        {"reading the file again under the lock", valid, Step::OpenForReading},
        {"closing it after reading", valid, Step::Close},
        {"following links to it", valid, Step::ResolveLinks},
        {"looking at what it is", valid, Step::Inspect},
        {"creating the new file", valid, Step::CreateBeside},
        {"writing it", valid, Step::Write},
        {"a short write on a full disk", valid, Step::ShortWrite},
        {"flushing it", valid, Step::Flush},
        {"putting it in the former file's place", valid, Step::PutInPlace},
        {"writing over a file with a line not understood", kept, Step::Write},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder scratch;
        const std::string hivePath = scratch / "registry.reg";
        ScratchFolder::Write(hivePath, test.former);
        testing::FaultyFileSystem faulty;
        HiveRegistry hive(faulty, scratch.Path().string());
        Registry::Key software = 0;
        ASSERT_TRUE(hive.OpenKey(Registry::kCurrentUser, "Software", software));  // exists without the file

        faulty.FailAt(test.step);
        EXPECT_FALSE(hive.SetValue(software, "Counter", RegistryType::Dword, Dword(42)));
        EXPECT_EQ(faulty.Calls(test.step), 1) << "the step was reached once";
        hive.CloseKey(software);
        EXPECT_EQ(ScratchFolder::Read(hivePath), test.former);
        for (const std::string& name : scratch.Entries()) {
            EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << "stray file " << name;
        }

        // The next change goes through.
        PosixFileSystem plain;
        HiveRegistry again(plain, scratch.Path().string());
        ASSERT_TRUE(again.OpenKey(Registry::kCurrentUser, "Software", software));
        EXPECT_TRUE(again.SetValue(software, "Counter", RegistryType::Dword, Dword(42)));
        again.CloseKey(software);
        const HiveFile after = HiveFile::Parse(ScratchFolder::Read(hivePath));
        ASSERT_NE(after.FindValue("HKEY_CURRENT_USER\\Software", "Counter"), nullptr);
        EXPECT_EQ(after.FindValue("HKEY_CURRENT_USER\\Software", "Counter")->data, Dword(42));
        EXPECT_EQ(after.KeptLines(), HiveFile::Parse(test.former).KeptLines());
    }
}

// The settings file keeps what it is: permissions, and its other name when it has one.
TEST_F(HiveRegistryTest, TheFileKeepsItsPermissionsAndItsOtherNames) {
    ScratchFolder::Write(HivePath(), kHead + "\"Counter\"=dword:00000029\n");
    ASSERT_EQ(::chmod(HivePath().c_str(), 0640), 0);
    std::filesystem::create_hard_link(HivePath(), folder / "backup.reg");
    EXPECT_TRUE(store.WriteInt(section, "Counter", 42));
    EXPECT_EQ(ScratchFolder::Read(folder / "backup.reg"), HiveText());
    EXPECT_EQ(std::filesystem::hard_link_count(HivePath()), 2u);
    struct stat info {};
    ASSERT_EQ(::stat(HivePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 42);

    ASSERT_EQ(::chmod(HivePath().c_str(), 0444), 0);  // read-only: the user's to change
    EXPECT_FALSE(store.WriteInt(section, "Counter", 43));
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), 42);
}

// LockValues makes a read and a write one step: counters advanced by several processes at once
// lose no step.
TEST_F(HiveRegistryTest, ValuesLockedAcrossAReadAndAWriteLoseNoUpdate) {
    constexpr int kProcesses = 4;
    constexpr int kSteps = 50;
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PosixFileSystem plain;
            HiveRegistry hive(plain, folder.Path().string());
            SettingsStore settings(hive, registryKey, profileName);
            bool stored = true;
            for (int step = 0; step < kSteps; ++step) {
                stored = settings.UpdateInt(section, "Counter", 0, [](std::int32_t value) { return value + 1; }) && stored;
            }
            ::_exit(stored ? 0 : 3);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(store.ReadInt(section, "Counter", 0), kProcesses * kSteps);
    EXPECT_TRUE(registry.LockValues());
    EXPECT_FALSE(registry.LockValues()) << "the lock is not taken twice";
    registry.UnlockValues();
    ExpectOnlyTheHiveFiles();
}

constexpr int kSlots = 10;

TextBuffer Slot(int writer, int n) { return TextBuffer::Formatted("W%d-%02d", {writer, n % kSlots}); }

// The real file system without the waits for the disk, which locking and replacement do not need.
class UnsyncedFileSystem : public PosixFileSystem {
public:
    bool Flush(Handle) override { return true; }
};

// Runs in a child process. Write n goes to slot n % kSlots of this writer; before it, the slot
// must still hold write n - kSlots. So an update lost to another process, or a half-written file
// read as empty, shows at the next turn of the slots, and the last kSlots writes at the end.
int WriteManyTimes(const std::string& hiveFolder, int writer, int writes) {
    UnsyncedFileSystem files;
    HiveRegistry registry(files, hiveFolder);
    TextBuffer registryKey("Tessaline");
    TextBuffer profileName("Quillora");
    SettingsStore store(registry, registryKey, profileName);
    for (int n = 1; n <= writes; ++n) {
        if (n > kSlots && store.ReadInt("LU", Slot(writer, n), -1) != n - kSlots) return 2;
        if (!store.WriteInt("LU", Slot(writer, n), n)) return 3;
    }
    return 0;
}

TEST_F(HiveRegistryTest, WritersInSeveralProcessesLoseNoUpdate) {
    constexpr int kWriters = 4;
    constexpr int kWrites = 200;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(WriteManyTimes(folder.Path().string(), writer, kWrites));
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "2: a value read back wrong, 3: a write failed";
    }

    const HiveFile hive = Hive();
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int n = kWrites - kSlots + 1; n <= kWrites; ++n) {  // the last writes of each writer
            const std::string name(Slot(writer, n).Bytes());
            const HiveValue* value = hive.FindValue(kLu, name);
            ASSERT_NE(value, nullptr) << name << " was lost";
            EXPECT_EQ(value->data, Dword(n)) << name;
        }
    }
    EXPECT_EQ(hive.ValuesOf(kLu)->size(), static_cast<std::size_t>(kWriters * kSlots));
    ExpectOnlyTheHiveFiles();
}

// Sets an environment variable for one test and puts the former value back.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : name_(name) {
        const char* former = std::getenv(name);
        if (former != nullptr) former_ = former;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~EnvironmentVariable() {
        if (former_) {
            ::setenv(name_, former_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> former_;
};

TEST(HiveRegistryFolderTest, TheHiveLivesInTheUsersConfigurationFolder) {
    EnvironmentVariable home("HOME", "/home/ann");
    {
        EnvironmentVariable config("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(HiveRegistry::DefaultFolder(), "/srv/config/quillora");
    }
    {
        EnvironmentVariable config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(HiveRegistry::DefaultFolder(), "/home/ann/.config/quillora");
    }
    {
        EnvironmentVariable config("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
        EXPECT_EQ(HiveRegistry::DefaultFolder(), "/home/ann/.config/quillora");
    }
    {
        EnvironmentVariable config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(HiveRegistry::DefaultFolder(), "/home/ann/.config/quillora");
    }
}

TEST(HiveRegistryFolderTest, MissingFoldersAreMadeAtTheFirstChange) {
    ScratchFolder folder;
    const std::string config = folder / "home/.config/quillora";
    PosixFileSystem files;
    HiveRegistry registry(files, config);
    EXPECT_EQ(registry.HivePath(), config + "/registry.reg");
    TextBuffer registryKey("Tessaline");
    TextBuffer profileName("Quillora");
    SettingsStore store(registry, registryKey, profileName);
    EXPECT_TRUE(store.WriteInt("LU", "Terms", 1));
    EXPECT_EQ(store.ReadInt("LU", "Terms", 0), 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(config + "/registry.reg"));
}

TEST(HiveRegistryFolderTest, NoFolderMeansDefaultsAndFailedWrites) {
    PosixFileSystem files;
    HiveRegistry registry(files, "");
    TextBuffer registryKey("Tessaline");
    TextBuffer profileName("Quillora");
    SettingsStore store(registry, registryKey, profileName);
    EXPECT_EQ(store.ReadInt("LU", "Index", 1), 1);
    EXPECT_FALSE(store.WriteInt("LU", "Index", 0));
    EXPECT_EQ(registry.OpenKeys(), 0u);
}

}  // namespace
}  // namespace quillora
