#include "storage/FileIo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#ifdef QUILLORA_POSIX_TESTS
#include <sys/stat.h>

#include "adapters/posix/PosixFileSystem.h"
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
    struct Case {
        const char* name;
        std::string path;
        Step failing;
    };
    std::vector<Case> cases = {
        {"missing", folder / "missing.html", Step::Exists},  // Exists is never called: no fault
        {"folder", folder / "folder.html", Step::Exists},
        {"open", path, Step::OpenForReading},
        {"size", path, Step::SizeOf},
        {"read", path, Step::Read},
        {"close", path, Step::Close},
        {"relative", "no/such/relative.htm", Step::Exists},
    };
#ifdef QUILLORA_POSIX_TESTS
    ASSERT_EQ(mkfifo((folder / "pipe.html").c_str(), 0600), 0);  // no writer: opening it must not wait
    cases.push_back({"named pipe", folder / "pipe.html", Step::Exists});
#endif
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

#ifdef QUILLORA_POSIX_TESTS  // file modes and symbolic links
TEST_F(FileIoTest, WriteKeepsPermissionsAndWritesThroughLinks) {
    const std::string real = folder / "index.html";
    const std::string link = folder / "link.html";
    testing::ScratchFolder::Write(real, "old");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    std::filesystem::create_symlink("index.html", link);
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(link), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testing::ScratchFolder::Read(real), "new");
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FileIoTest, ReplacingModeReplacesTheLinkItself) {
    const std::string victim = folder / "victim.txt";
    const std::string link = folder / "temp_page.html";
    testing::ScratchFolder::Write(victim, "keep");
    std::filesystem::create_symlink(victim, link);
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(link), "page", FileIo::Links::Replace));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testing::ScratchFolder::Read(link), "page");
    EXPECT_EQ(testing::ScratchFolder::Read(victim), "keep");
}
#endif

TEST_F(FileIoTest, EveryFailingWriteStepKeepsTheFormerContent) {
    const std::string path = folder / "index.html";
    const std::string former = "<html>INSERT INDEX HERE</html>";
    for (Step step : {Step::CreateBeside, Step::Write, Step::ShortWrite, Step::Flush, Step::Close, Step::Rename}) {
        testing::ScratchFolder::Write(path, former);
        testing::FaultyFileSystem faulty;
        FileIo faultyIo(faulty, messages);
        boxes.shown.clear();
        faulty.FailAt(step);
        EXPECT_FALSE(faultyIo.WriteWholeFile(TextBuffer(path), std::string(100000, 'n'))) << static_cast<int>(step);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{WriteMessage(path)});
        EXPECT_EQ(testing::ScratchFolder::Read(path), former);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"}) << "no temporary file is left";
    }
}

#ifdef QUILLORA_POSIX_TESTS  // the POSIX file system's unnamed new files
// A writer killed before its new file is complete leaves nothing beside the target: the new
// file gets its name only when it is closed, right before the rename.
TEST_F(FileIoTest, AnUnfinishedNewFileHasNoName) {
    const std::string path = folder / "index.html";
    testing::ScratchFolder::Write(path, "former");
    PosixFileSystem posix;
    FileSystem::Handle file = -1;
    std::string temporary;
    ASSERT_TRUE(posix.CreateBeside(path, file, temporary));
    ASSERT_EQ(posix.Write(file, "new", 3), 3);
    ASSERT_TRUE(posix.Flush(file));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
    ASSERT_TRUE(posix.Close(file));
    EXPECT_EQ(testing::ScratchFolder::Read(temporary), "new");
    ASSERT_TRUE(posix.Rename(temporary, path));
    EXPECT_EQ(testing::ScratchFolder::Read(path), "new");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"index.html"});
}
#endif

TEST_F(FileIoTest, FailedWriteOfANewFileLeavesNothing) {
    const std::string path = folder / "new.html";
    files.FailAt(Step::Rename);
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
