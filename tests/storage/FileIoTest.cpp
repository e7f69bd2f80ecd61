#include "storage/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "fakes/FakeMessageBoxes.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScratchFolder.h"

// Memory that runs out on demand: while set, every allocation of at least this many bytes fails.
static std::size_t failAllocationsFrom = 0;

// malloc and free pair up here; GCC sees the inlined free as the partner of a new expression.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (failAllocationsFrom != 0 && size >= failAllocationsFrom) throw std::bad_alloc();
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
#pragma GCC diagnostic pop

namespace quillora {
namespace {

using Step = testing::FaultyFileSystem::Step;

class FileIoTest : public ::testing::Test {
protected:
    std::string ReadMessage(const std::string& path) { return "Unable to read file: " + path; }
    std::string WriteMessage(const std::string& path) { return "Failed to write file " + path; }

    testing::ScratchFolder folder;
    testing::FaultyFileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo io{files, messages};
};

TEST_F(FileIoTest, ReadsEveryByte) {
    const std::string path = folder / "page.html";
    const std::string bytes("a\0b\r\n\xFF", 6);
    testing::ScratchFolder::Write(path, bytes);
    auto read = io.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, bytes);
    EXPECT_EQ(TextBuffer(*read).Length(), 1);  // text ends before the zero byte
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FileIoTest, ReadsAnEmptyFile) {
    const std::string path = folder / "empty.html";
    testing::ScratchFolder::Write(path, "");
    auto read = io.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->empty());
}

// A reader that hands out a few bytes at a time, as a pipe or a network file system may.
class TricklingFileSystem : public testing::FaultyFileSystem {
public:
    std::int64_t Read(Handle file, char* into, std::size_t count) override {
        return FaultyFileSystem::Read(file, into, count < 3 ? count : 3);
    }
};

TEST_F(FileIoTest, ReadLoopsUntilEveryByteArrived) {
    const std::string path = folder / "page.html";
    testing::ScratchFolder::Write(path, "0123456789abcdef");
    TricklingFileSystem trickling;
    FileIo tricklingIo(trickling, messages);
    auto read = tricklingIo.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "0123456789abcdef");
}

TEST_F(FileIoTest, ReadFailuresShowTheReadMessageOnce) {
    const std::string path = folder / "page.html";
    testing::ScratchFolder::Write(path, "content");
    std::filesystem::create_directory(folder / "folder.html");
#ifndef _WIN32
    ASSERT_EQ(mkfifo((folder / "pipe.html").c_str(), 0600), 0);  // no writer: opening it must not wait
#endif
    struct Case {
        const char* name;
        std::string path;
        Step failing;
    };
    const Case cases[] = {
        {"missing", folder / "missing.html", Step::Exists},  // Exists is never called: no fault
        {"folder", folder / "folder.html", Step::Exists},
#ifndef _WIN32
        {"named pipe", folder / "pipe.html", Step::Exists},
#endif
        {"open", path, Step::OpenForReading},
        {"size", path, Step::SizeOf},
        {"read", path, Step::Read},
        {"close", path, Step::Close},
        {"relative", testing::PlatformPath("no/such/relative.htm"), Step::Exists},
    };
    for (const Case& c : cases) {
        boxes.shown.clear();
        files.FailAt(c.failing);
        EXPECT_FALSE(io.ReadWholeFile(TextBuffer(c.path)).has_value()) << c.name;
        ASSERT_EQ(boxes.Texts(), std::vector<std::string>{ReadMessage(c.path)}) << c.name;
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(boxes.shown[0].caption, "Quillora");
        files.FailAt(c.failing, 1000000);  // disarm
    }
}

// A file that claims to be larger than it is: the read ends early and must not pass as whole.
class ShrinkingFileSystem : public testing::FaultyFileSystem {
public:
    bool SizeOf(Handle file, std::int64_t& size) override {
        bool known = FaultyFileSystem::SizeOf(file, size);
        size += extra;
        return known;
    }
    std::int64_t extra = 0;
};

TEST_F(FileIoTest, FilesThatEndEarlyOrAreTooLargeAreNotRead) {
    const std::string path = folder / "page.html";
    testing::ScratchFolder::Write(path, "short");
    ShrinkingFileSystem odd;
    FileIo oddIo(odd, messages);
    for (std::int64_t extra : {std::int64_t{10}, std::int64_t{1} << 31, std::int64_t{1} << 40}) {
        boxes.shown.clear();
        odd.extra = extra;
        EXPECT_FALSE(oddIo.ReadWholeFile(TextBuffer(path)).has_value()) << extra;
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{ReadMessage(path)});
    }
}

TEST_F(FileIoTest, OutOfMemoryWhileReadingClosesTheFile) {
    const std::string path = folder / "large.html";
    testing::ScratchFolder::Write(path, std::string(1 << 20, 'x'));
    failAllocationsFrom = 1 << 19;
    auto read = io.ReadWholeFile(TextBuffer(path));
    failAllocationsFrom = 0;
    EXPECT_FALSE(read.has_value());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{ReadMessage(path)});
    EXPECT_EQ(files.Calls(Step::OpenForReading), 1);
    EXPECT_EQ(files.Calls(Step::Close), 1) << "the file was left open";
}

TEST_F(FileIoTest, WritesCreateAndReplace) {
    const std::string path = folder / "article0001.html";
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "first"));
    EXPECT_EQ(testing::ScratchFolder::Read(path), "first");
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), std::string_view("a\0b", 3)));
    EXPECT_EQ(testing::ScratchFolder::Read(path), std::string("a\0b", 3));
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), ""));
    EXPECT_EQ(testing::ScratchFolder::Read(path), "");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"article0001.html"});
    EXPECT_TRUE(boxes.shown.empty());
}

// What stands at the path decides how it is written: a file keeps what it is (the same file,
// owner, group and permissions, its other names), through the new file beside it or, where that
// would change it, in place; what may not or cannot be written is refused and left untouched.
// As root, so the permission cases that root passes are made by the fake's facts elsewhere.
#ifndef _WIN32
// Modes, owners, named pipes, devices and symbolic links, and the POSIX adapter itself (tests/win32 has the Windows side).
TEST_F(FileIoTest, EachKindOfTargetIsWrittenKeepingWhatItIsOrRefusedUntouched) {
    enum class Outcome { Written, Refused };
    struct Case {
        const char* name;
        std::function<std::string()> make;  // makes the target in the folder, gives the path to write
        Outcome expect;
        std::string writtenFile;  // where the new content must be, when not the path itself
    };
    const Case cases[] = {
        {"a plain file, mode 0640, another group",
         [&] {
             testing::ScratchFolder::Write(folder / "plain.html", "former");
             EXPECT_EQ(chmod((folder / "plain.html").c_str(), 0640), 0);
             EXPECT_EQ(chown((folder / "plain.html").c_str(), 1234, 4321), 0);
             return folder / "plain.html";
         },
         Outcome::Written, ""},
        {"a file with a second name",
         [&] {
             testing::ScratchFolder::Write(folder / "index.html", "former");
             std::filesystem::create_hard_link(folder / "index.html", folder / "index-backup.html");
             return folder / "index.html";
         },
         Outcome::Written, ""},
        {"a symbolic link to a file",
         [&] {
             testing::ScratchFolder::Write(folder / "real.html", "former");
             EXPECT_EQ(chmod((folder / "real.html").c_str(), 0604), 0);
             std::filesystem::create_symlink("real.html", folder / "link.html");
             return folder / "link.html";
         },
         Outcome::Written, folder / "real.html"},
        {"a read-only file (root too)",
         [&] {
             testing::ScratchFolder::Write(folder / "readonly.html", "former");
             EXPECT_EQ(chmod((folder / "readonly.html").c_str(), 0444), 0);
             return folder / "readonly.html";
         },
         Outcome::Refused, ""},
        {"a named pipe",
         [&] {
             EXPECT_EQ(mkfifo((folder / "pipe.html").c_str(), 0666), 0);
             return folder / "pipe.html";
         },
         Outcome::Refused, ""},
        {"a character device",
         [&] {
             EXPECT_EQ(mknod((folder / "null.html").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
             return folder / "null.html";
         },
         Outcome::Refused, ""},
        {"a folder",
         [&] {
             std::filesystem::create_directory(folder / "folder.html");
             return folder / "folder.html";
         },
         Outcome::Refused, ""},
        {"a loop of symbolic links",
         [&] {
             std::filesystem::create_symlink("loop-b.html", folder / "loop-a.html");
             std::filesystem::create_symlink("loop-a.html", folder / "loop-b.html");
             return folder / "loop-a.html";
         },
         Outcome::Refused, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder.Path());
        std::filesystem::create_directory(folder.Path());
        const std::string path = c.make();
        const std::string file = c.writtenFile.empty() ? path : c.writtenFile;
        struct stat before {};
        ASSERT_EQ(lstat(file.c_str(), &before), 0);
        const std::vector<std::string> entries = folder.Entries();
        boxes.shown.clear();

        const bool written = io.WriteWholeFile(TextBuffer(path), "new content");

        struct stat after {};
        ASSERT_EQ(lstat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << "the kind or the permissions changed";
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(after.st_nlink, before.st_nlink);
        if (c.expect == Outcome::Refused) {
            EXPECT_FALSE(written);
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_mtime, before.st_mtime);
            if (S_ISREG(before.st_mode)) {
                EXPECT_EQ(testing::ScratchFolder::Read(file), "former");
            }
        } else {
            EXPECT_TRUE(written);
            EXPECT_TRUE(boxes.shown.empty());
            EXPECT_EQ(testing::ScratchFolder::Read(file), "new content");
            if (before.st_nlink > 1) {
                EXPECT_EQ(after.st_ino, before.st_ino) << "a file with other names is written in place";
                EXPECT_EQ(testing::ScratchFolder::Read(folder / "index-backup.html"), "new content");
            }
            if (!c.writtenFile.empty()) {
                EXPECT_TRUE(std::filesystem::is_symlink(path)) << "the link was replaced";
            }
        }
        EXPECT_EQ(folder.Entries(), entries) << "something was left beside it, or the link replaced";
    }
}

// Where the new file cannot take the target's identity, or the folder may not be written, the
// content goes into the file itself, after a copy of the former content was kept in the state
// folder; the copy is gone once the write is done. Every failing step on that way leaves the
// former content, put back from the copy when the file had been written into already.
TEST_F(FileIoTest, WritingInPlaceKeepsACopyUntilTheNewContentIsWhole) {
    class NoIdentity : public testing::FaultyFileSystem {
    public:
        using FaultyFileSystem::FaultyFileSystem;
        bool TakeIdentity(Handle, const std::string&) override { return false; }
    };
    const std::string path = folder / "index.html";
    const std::string former(100000, 'f');
    testing::ScratchFolder stateHome;
    const std::string stateFolder = stateHome / "quillora";
    PosixFileSystem posix({stateFolder, true});
    const auto keptCopies = [&] {
        int count = 0;
        if (std::filesystem::exists(stateFolder)) {
            for (const auto& entry : std::filesystem::directory_iterator(stateFolder)) {
                count += entry.path().filename().string().rfind("kept-", 0) == 0 ? 1 : 0;
            }
        }
        return count;
    };
    struct Case {
        const char* what;
        std::optional<Step> failing;
        int nthCall;
    };
    const Case cases[] = {
        {"no failure", std::nullopt, 1},
        {"keeping the copy", Step::KeepCopy, 1},
        {"opening the file", Step::OpenInPlace, 1},
        {"writing into it", Step::Write, 1},
        {"a short write on a full disk", Step::ShortWrite, 1},
        {"cutting it to its new length", Step::Truncate, 1},
        {"flushing it", Step::Flush, 1},
        {"closing it", Step::Close, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ScratchFolder::Write(path, former);
        struct stat before {};
        ASSERT_EQ(stat(path.c_str(), &before), 0);
        NoIdentity faulty(posix);
        FileIo faultyIo(faulty, messages);
        boxes.shown.clear();
        if (c.failing) faulty.FailAt(*c.failing, c.nthCall);
        const bool written = faultyIo.WriteWholeFile(TextBuffer(path), std::string(5000, 'n'));
        EXPECT_EQ(written, !c.failing);
        if (c.failing) {
            EXPECT_EQ(faulty.Calls(*c.failing), c.nthCall) << "the fault was reached";
        }
        struct stat after {};
        ASSERT_EQ(stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "not written in place";
        EXPECT_EQ(testing::ScratchFolder::Read(path), c.failing ? former : std::string(5000, 'n'));
        EXPECT_EQ(boxes.Texts(), c.failing ? std::vector<std::string>{WriteMessage(path)} : std::vector<std::string>{});
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
        EXPECT_EQ(keptCopies(), 0) << "a kept copy outlived the write";
    }

    // A failure while the former content is put back leaves the copy, and the next read or write
    // of any file puts it back first.
    testing::ScratchFolder::Write(path, former);
    NoIdentity faulty(posix);
    FileIo faultyIo(faulty, messages);
    faulty.FailAt(Step::ShortWrite);
    faulty.FailAt(Step::PutBack);
    EXPECT_FALSE(faultyIo.WriteWholeFile(TextBuffer(path), std::string(5000, 'n')));
    EXPECT_NE(testing::ScratchFolder::Read(path), former);
    EXPECT_EQ(keptCopies(), 1);
    faulty.SetDiskFull(false);
    EXPECT_TRUE(faultyIo.ReadWholeFile(TextBuffer(folder / "index.html")).has_value());
    EXPECT_EQ(testing::ScratchFolder::Read(path), former);
    EXPECT_EQ(keptCopies(), 0);
}

TEST_F(FileIoTest, FreshFilesReplaceTheEntryItselfAndTakeNothingFromIt) {
    const std::string victim = folder / "victim";
    testing::ScratchFolder::Write(victim, "keep");
    ASSERT_EQ(chmod(victim.c_str(), 04755), 0);
    const std::string link = folder / "temp_page.html";
    std::filesystem::create_symlink(victim, link);
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(link), "page", FileSystem::WriteMode::Fresh));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testing::ScratchFolder::Read(link), "page");
    EXPECT_EQ(testing::ScratchFolder::Read(victim), "keep");
    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask) << "the mode of a new file, nothing of the link's target";
}
#endif

TEST_F(FileIoTest, ANewFileIsOnlyAddedWhereNothingStands) {
    const std::string path = folder / "article0001.html";
    FileSystem::WholeWrite outcome = FileSystem::WholeWrite::Failed;
    EXPECT_TRUE(io.WriteWholeFile(TextBuffer(path), "first", FileSystem::WriteMode::CreateNew, &outcome));
    EXPECT_EQ(outcome, FileSystem::WholeWrite::Written);
    EXPECT_FALSE(io.WriteWholeFile(TextBuffer(path), "second", FileSystem::WriteMode::CreateNew, &outcome));
    EXPECT_EQ(outcome, FileSystem::WholeWrite::Taken);
    EXPECT_EQ(testing::ScratchFolder::Read(path), "first");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"article0001.html"});
}

TEST_F(FileIoTest, EveryFailingWriteStepKeepsTheFormerContent) {
    const std::string path = folder / "index.html";
    const std::string former = "<html>INSERT INDEX HERE</html>";
    for (Step step : {Step::ResolveLinks, Step::Inspect, Step::CreateBeside, Step::Write, Step::ShortWrite, Step::Flush,
                      Step::PutInPlace}) {
        testing::ScratchFolder::Write(path, former);
        testing::FaultyFileSystem faulty;
        FileIo faultyIo(faulty, messages);
        boxes.shown.clear();
        faulty.FailAt(step);
        EXPECT_FALSE(faultyIo.WriteWholeFile(TextBuffer(path), std::string(100000, 'n'))) << static_cast<int>(step);
        EXPECT_EQ(faulty.Calls(step), 1);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
        EXPECT_EQ(testing::ScratchFolder::Read(path), former);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"}) << "no temporary file is left";
    }
}

#ifndef _WIN32
// A forked writer of the POSIX adapter (tests/win32 has the Windows side).
// A writer that ends on its way (killed) leaves its new file under no name when the system can
// make unnamed files; otherwise under a noted name, which the next recovery removes. A writer
// that ends while writing in place leaves its kept copy, which the next recovery puts back.
TEST_F(FileIoTest, WhatAnEndedWriterLeavesIsPutRightByTheNextRecovery) {
    const std::string path = folder / "index.html";
    testing::ScratchFolder stateHome;
    const std::string stateFolder = stateHome / "quillora";
    struct Case {
        const char* what;
        bool unnamedFiles;
        bool inPlace;
        std::vector<std::string> leftBeside;  // what the ended writer leaves in the folder
    };
    const Case cases[] = {
        {"an unnamed new file", true, false, {"index.html"}},
        {"a named new file", false, false, {"index.html", "named"}},
        {"a file half written in place", true, true, {"index.html"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::ScratchFolder::Write(path, "former");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            PosixFileSystem ended({stateFolder, c.unnamedFiles});
            FileSystem::Handle file = -1;
            FileSystem::Handle copy = -1;
            bool ok = c.inPlace ? ended.KeepCopy(path, copy) && ended.OpenInPlace(path, file)
                                : ended.CreateBeside(path, file);
            ok = ok && ended.Write(file, "new", 3) == 3;
            _exit(ok ? 0 : 1);  // ends without a word: no destructor runs
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        std::vector<std::string> beside = folder.Entries();
        for (std::string& name : beside) {
            if (name.rfind("index.html.quillora-", 0) == 0) name = "named";
        }
        EXPECT_EQ(beside, c.leftBeside);
        EXPECT_EQ(testing::ScratchFolder::Read(path), c.inPlace ? "newmer" : "former");

        PosixFileSystem next({stateFolder, true});
        next.RecoverKeptCopies();
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
        EXPECT_EQ(testing::ScratchFolder::Read(path), "former");
        if (std::filesystem::exists(stateFolder)) {
            for (const auto& entry : std::filesystem::directory_iterator(stateFolder)) {
                ADD_FAILURE() << "left in the state folder: " << entry.path();
            }
        }
    }
}
#endif

TEST_F(FileIoTest, FailedWriteOfANewFileLeavesNothing) {
    const std::string path = folder / "new.html";
    files.FailAt(Step::PutInPlace);
    EXPECT_FALSE(io.WriteWholeFile(TextBuffer(path), "x"));
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(FileIoTest, WriteIntoAMissingFolderFails) {
    const std::string path = folder / "no-such-folder/page.html";
    EXPECT_FALSE(io.WriteWholeFile(TextBuffer(path), "x"));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
}

TEST_F(FileIoTest, FormattedErrorInsertsTheArgumentByteForByte) {
    io.ShowFormattedError("Unable to read file: %s", "100%s %d.html");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Unable to read file: 100%s %d.html"});
}

}  // namespace
}  // namespace quillora
