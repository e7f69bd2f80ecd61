// Whole-file reading and writing on the Win32 file system, with the faults a user meets there.
#include "adapters/win32/Win32FileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "cli/ProcessRunner.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/ScratchFolder.h"
#include "storage/FileIo.h"

namespace quillora {
namespace {

using testing::ScratchFolder;

std::string ReadMessage(const std::string& path) { return "Unable to read file: " + path; }
std::string WriteMessage(const std::string& path) { return "Failed to write file " + path; }

// A drive letter that names no drive on this system, as "Q:".
std::string MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter >= 'D'; --letter) {
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    }
    return "";
}

// A file held open by another program, with the sharing it allows.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD access, DWORD sharing)
        : handle_(CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (IsOpen()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

class Win32FileSystemTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    Win32FileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo io{files, messages};
};

TEST_F(Win32FileSystemTest, AReplacedFileKeepsItsAttributes) {
    const std::string path = folder / "hidden.html";
    ScratchFolder::Write(path, "former");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "new"));
    EXPECT_EQ(ScratchFolder::Read(path), "new");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
}

TEST_F(Win32FileSystemTest, WritesCreateAndReplaceWithExactlyTheBytesGiven) {
    const std::string path = folder / "index.html";
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "first"));
    EXPECT_EQ(ScratchFolder::Read(path), "first");
    const std::string binary("line\r\nbreak\n\0\x1A\xFF", 15);
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), binary));
    EXPECT_EQ(ScratchFolder::Read(path), binary) << "no conversion of line ends or end-of-file marks";
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), ""));
    EXPECT_EQ(ScratchFolder::Read(path), "");
    auto read = io.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->empty());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
    EXPECT_TRUE(boxes.shown.empty());
}

// A target that the user may not write, or that is no plain file, is refused with the write
// message before anything is created, and stays exactly as it was.
TEST_F(Win32FileSystemTest, ReadOnlyFoldersDevicesAndHeldFilesAreRefusedAndLeftAsTheyWere) {
    const std::string readOnly = folder / "read-only.html";
    ScratchFolder::Write(readOnly, "the user's page");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string hiddenReadOnly = folder / "hidden.html";
    ScratchFolder::Write(hiddenReadOnly, "hidden page");
    ASSERT_TRUE(SetFileAttributesA(hiddenReadOnly.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const std::string aFolder = folder / "folder.html";
    std::filesystem::create_directory(aFolder);
    ScratchFolder::Write(aFolder + testing::kSep + "inside.txt", "inside");
    const std::string held = folder / "held.html";
    ScratchFolder::Write(held, "held by another program");
    const std::string device = folder / "nul";

    const std::vector<std::string> before = folder.Entries();
    for (const std::string& path : {readOnly, hiddenReadOnly, aFolder, held, device}) {
        SCOPED_TRACE(path);
        boxes.shown.clear();
        std::unique_ptr<HeldFile> other;
        if (path == held) {
            other = std::make_unique<HeldFile>(held, GENERIC_READ | GENERIC_WRITE, 0);
            ASSERT_TRUE(other->IsOpen());
        }
        EXPECT_FALSE(io.WriteWholeFile(TextBuffer(path), "replacement"));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
        other.reset();
        EXPECT_EQ(folder.Entries(), before) << "nothing is left beside the target";
    }
    EXPECT_EQ(ScratchFolder::Read(readOnly), "the user's page");
    EXPECT_EQ(GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(ScratchFolder::Read(hiddenReadOnly), "hidden page");
    EXPECT_TRUE(std::filesystem::is_directory(aFolder));
    EXPECT_EQ(ScratchFolder::Read(aFolder + testing::kSep + "inside.txt"), "inside");
    EXPECT_EQ(ScratchFolder::Read(held), "held by another program");
}

TEST_F(Win32FileSystemTest, AMissingDriveOrFolderFailsWithTheMessageNamingThePath) {
    const std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty()) << "every drive letter is in use";
    for (const std::string& path : {drive + "\\site\\index.html", folder / "no such folder/index.html"}) {
        SCOPED_TRACE(path);
        boxes.shown.clear();
        EXPECT_FALSE(files.Exists(path));
        EXPECT_FALSE(io.ReadWholeFile(TextBuffer(path)).has_value());
        EXPECT_FALSE(io.WriteWholeFile(TextBuffer(path), "page"));
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{ReadMessage(path), WriteMessage(path)}));
    }
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(Win32FileSystemTest, AFileThatAnotherProgramWritesCanBeReadWhenItSharesReading) {
    const std::string path = folder / "template.html";
    ScratchFolder::Write(path, "INSERT ARTICLE HERE");
    {
        HeldFile writer(path, GENERIC_WRITE, FILE_SHARE_READ);
        ASSERT_TRUE(writer.IsOpen());
        auto read = io.ReadWholeFile(TextBuffer(path));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, "INSERT ARTICLE HERE");
    }
    {
        HeldFile exclusive(path, GENERIC_READ, 0);
        ASSERT_TRUE(exclusive.IsOpen());
        EXPECT_FALSE(io.ReadWholeFile(TextBuffer(path)).has_value());
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{ReadMessage(path)});
    }
}

TEST_F(Win32FileSystemTest, AFolderIsFoundButCannotBeRead) {
    const std::string path = folder / "index.html";
    std::filesystem::create_directory(path);
    EXPECT_TRUE(files.Exists(path));
    EXPECT_FALSE(io.ReadWholeFile(TextBuffer(path)).has_value());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{ReadMessage(path)});
}

TEST_F(Win32FileSystemTest, ExistsLooksForAnEntryOfExactlyThatName) {
    ScratchFolder::Write(folder / "index.html", "x");
    std::filesystem::create_directory(folder / "sub");
    struct Case {
        const char* what;
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {"a file", folder / "index.html", true},
        {"its name in other capitals", folder / "INDEX.HTML", true},
        {"a folder", folder / "sub", true},
        {"nothing of that name", folder / "index.htm", false},
        {"a wildcard that would match", folder / "*.html", false},
        {"a single-letter wildcard", folder / "index.htm?", false},
        {"below a file", folder / "index.html/inside", false},
    };
    for (const Case& c : cases) EXPECT_EQ(files.Exists(c.path), c.exists) << c.what;
}

TEST_F(Win32FileSystemTest, ALockIsExclusiveUntilItIsReleased) {
    const std::string path = folder / "archive.lock";
    FileSystem::Handle lock = -1;
    ASSERT_TRUE(files.Lock(path, lock));
    auto othersMayLock = [&] {
        HANDLE other = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED whole{};
        bool locked = other != INVALID_HANDLE_VALUE &&
                      LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole);
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        return locked;
    };
    EXPECT_FALSE(othersMayLock());
    files.Unlock(lock);
    EXPECT_TRUE(othersMayLock());
}

// Until it is in place, the new file beside the target goes away with its handle, as it does
// when its writer is killed.
TEST_F(Win32FileSystemTest, ANewFileIsGoneWithItsHandleUntilItIsInPlace) {
    const std::string target = folder / "index.html";
    ScratchFolder::Write(target, "former");
    FileSystem::Handle file = -1;
    ASSERT_TRUE(files.CreateBeside(target, file));
    ASSERT_EQ(files.Write(file, "new", 3), 3);
    ASSERT_TRUE(files.Flush(file));
    ASSERT_TRUE(CloseHandle(reinterpret_cast<HANDLE>(file)));  // as a dying process's handles close
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});

    ASSERT_TRUE(files.CreateBeside(target, file));
    ASSERT_EQ(files.Write(file, "new", 3), 3);
    EXPECT_EQ(files.PutInPlace(file, target, FileSystem::Placing::Replace), FileSystem::Placed::Done);
    EXPECT_EQ(ScratchFolder::Read(target), "new");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});

    // Added only where nothing bears the name.
    ASSERT_TRUE(files.CreateBeside(target, file));
    ASSERT_EQ(files.Write(file, "other", 5), 5);
    EXPECT_EQ(files.PutInPlace(file, target, FileSystem::Placing::Add), FileSystem::Placed::Taken);
    EXPECT_EQ(ScratchFolder::Read(target), "new");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
}

TEST_F(Win32FileSystemTest, InspectTellsWhatAPathNames) {
    ScratchFolder::Write(folder / "plain.html", "x");
    ScratchFolder::Write(folder / "read-only.html", "x");
    ASSERT_TRUE(SetFileAttributesA((folder / "read-only.html").c_str(), FILE_ATTRIBUTE_READONLY));
    ScratchFolder::Write(folder / "linked.html", "x");
    ASSERT_TRUE(CreateHardLinkA((folder / "second.html").c_str(), (folder / "linked.html").c_str(), nullptr));
    ScratchFolder::Write(folder / "held.html", "x");
    HeldFile held(folder / "held.html", GENERIC_READ, 0);
    ASSERT_TRUE(held.IsOpen());
    std::filesystem::create_directory(folder / "folder.html");
    using Kind = FileSystem::Kind;
    struct Case {
        const char* what;
        std::string path;
        Kind kind;
        bool writable;
        bool otherNames;
    };
    const Case cases[] = {
        {"a plain file", folder / "plain.html", Kind::Regular, true, false},
        {"a read-only file", folder / "read-only.html", Kind::Regular, false, false},
        {"a file with a second name", folder / "linked.html", Kind::Regular, true, true},
        {"a file held without sharing", folder / "held.html", Kind::Regular, false, false},
        {"a folder", folder / "folder.html", Kind::Other, false, false},
        {"a device name", folder / "nul", Kind::Other, false, false},
        {"nothing", folder / "missing.html", Kind::Missing, false, false},
        {"nothing, in a missing folder", folder / "missing/page.html", Kind::Missing, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileSystem::Facts facts;
        ASSERT_TRUE(files.Inspect(c.path, facts));
        EXPECT_EQ(facts.kind, c.kind);
        EXPECT_EQ(facts.writable, c.writable);
        EXPECT_EQ(facts.otherNames, c.otherNames);
    }
}

// A file with a second name stays one file: it is written in place, after a copy of its former
// content was kept in the state folder, and both names show the new content.
TEST_F(Win32FileSystemTest, AFileWithASecondNameIsWrittenInPlaceAndStaysOneFile) {
    ScratchFolder state;
    Win32FileSystem stated({state.Path().string()});
    FileIo statedIo(stated, messages);
    const std::string path = folder / "index.html";
    const std::string second = folder / "mirror.html";
    ScratchFolder::Write(path, "former content");
    ASSERT_TRUE(CreateHardLinkA(second.c_str(), path.c_str(), nullptr));
    ASSERT_TRUE(statedIo.WriteWholeFile(TextBuffer(path), "new"));
    EXPECT_EQ(ScratchFolder::Read(path), "new");
    EXPECT_EQ(ScratchFolder::Read(second), "new");
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    ASSERT_TRUE(GetFileInformationByHandle(file, &information));
    CloseHandle(file);
    EXPECT_EQ(information.nNumberOfLinks, 2u) << "still one file with two names";
    EXPECT_TRUE(state.Entries().empty()) << "the kept copy is gone once the new content is whole";
    EXPECT_TRUE(boxes.shown.empty());
}

// What a writer that ends half way leaves: nothing beside the target, or a kept copy that the
// next recovery writes back.
TEST_F(Win32FileSystemTest, WhatAnEndedWriterLeavesIsPutRightByTheNextRecovery) {
    ScratchFolder state;
    const std::string path = folder / "index.html";
    for (const char* mode : {"beside", "in-place"}) {
        SCOPED_TRACE(mode);
        ScratchFolder::Write(path, "former");
        const testing::ProcessResult ended =
            testing::RunProcess(QUILLORA_TEST_CHILD, {"end-while-writing", mode, state.Path().string(), path}, {});
        ASSERT_EQ(ended.status, 0) << ended.errors;
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
        EXPECT_EQ(ScratchFolder::Read(path), std::string(mode) == "in-place" ? "newmer" : "former");

        Win32FileSystem next({state.Path().string()});
        next.RecoverKeptCopies();
        EXPECT_EQ(ScratchFolder::Read(path), "former");
        EXPECT_TRUE(state.Entries().empty());
    }
}

// One lock for a folder, whatever path names it, among threads and processes.
TEST_F(Win32FileSystemTest, AFolderLockIsOneLockWhateverPathNamesTheFolder) {
    std::filesystem::create_directory(folder / "Site");
    FileSystem::Handle lock = -1;
    ASSERT_TRUE(files.LockFolder(folder / "Site", lock));
    std::atomic<bool> taken{false};
    std::thread other([&] {
        Win32FileSystem others;
        FileSystem::Handle otherLock = -1;
        if (others.LockFolder(folder / "site/.", otherLock)) {
            taken = true;
            others.Unlock(otherLock);
        }
    });
    Sleep(300);
    EXPECT_FALSE(taken) << "the second lock was given while the first was held";
    files.Unlock(lock);
    other.join();
    EXPECT_TRUE(taken);
}

TEST_F(Win32FileSystemTest, ANewFileBesideATargetWithALongNameStillFitsInAPath) {
    std::string name(MAX_PATH - folder.Path().string().size() - 2, 'n');
    const std::string target = folder.Path().string() + testing::kSep + name;
    ASSERT_LT(target.size(), std::size_t{MAX_PATH});
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(target), "long"));
    EXPECT_EQ(ScratchFolder::Read(target), "long");
    EXPECT_EQ(folder.Entries().size(), 1u);
}

}  // namespace
}  // namespace quillora
