#include "adapters/posix/PosixTempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "LyingTempFolder.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using Environment = PosixTempFolder::Environment;

TEST(TempFolderPlaces, FollowTheEnvironment) {
    struct Case {
        const char* name;
        Environment environment;
        std::string privateFolder;
        std::string fallbackFolder;
    };
    const Case cases[] = {
        {"runtime folder", {"/run/user/7", "/var/tmp", "/c", "/home/u"}, "/run/user/7/", "/c/quillora/"},
        {"runtime folder with separator", {"/run/user/7/", "", "/c//", ""}, "/run/user/7/", "/c/quillora/"},
        {"TMPDIR", {"", "/var/tmp", "", "/home/u"}, "/var/tmp/quillora-7/", "/home/u/.cache/quillora/"},
        {"TMPDIR with separator", {"", "/var/tmp/", "", "/home/u/"}, "/var/tmp/quillora-7/", "/home/u/.cache/quillora/"},
        {"nothing set", {"", "", "", ""}, "/tmp/quillora-7/", ""},
        {"relative values ignored", {"run", "tmp", "cache", "home"}, "/tmp/quillora-7/", ""},
    };
    for (const Case& c : cases) {
        PosixTempFolder folder(c.environment, 7);
        EXPECT_EQ(folder.PrivateFolder(), c.privateFolder) << c.name;
        EXPECT_EQ(folder.FallbackFolder(), c.fallbackFolder) << c.name;
    }
}

class TempFolderTest : public ::testing::Test {
protected:
    std::string PrivateEntry() const { return scratch / ("quillora-" + std::to_string(::geteuid())); }
    std::string CacheEntry() const { return scratch / "cache/quillora"; }
    Environment InScratch() const { return {"", scratch.Path().string(), scratch / "cache", ""}; }

    testing::ScratchFolder scratch;
};

TEST_F(TempFolderTest, CreatesThePrivateFolderForTheUserAlone) {
    PosixTempFolder folder(InScratch(), ::geteuid());
    EXPECT_EQ(folder.Folder(), PrivateEntry() + "/");
    struct stat info {};
    ASSERT_EQ(::lstat(PrivateEntry().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(folder.Folder(), PrivateEntry() + "/");  // an existing folder of our own is used again
}

TEST_F(TempFolderTest, UsesTheRuntimeFolderAsItIs) {
    std::filesystem::create_directory(scratch / "run");
    std::filesystem::permissions(scratch / "run", std::filesystem::perms::owner_all);
    Environment environment = InScratch();
    environment.runtimeDir = scratch / "run";
    EXPECT_EQ(PosixTempFolder(environment, ::geteuid()).Folder(), scratch / "run/");
}

TEST_F(TempFolderTest, RefusedFoldersFallBackToTheCacheFolderThenToNothing) {
    std::filesystem::create_directory(scratch / "cache");
    using Lie = testing::LyingTempFolder::Lie;
    for (Lie lie : {Lie::NotOwned, Lie::Link, Lie::NotAFolder, Lie::OthersMayWrite, Lie::NoStatus}) {
        testing::LyingTempFolder folder(InScratch(), ::geteuid());
        folder.lies[PrivateEntry()] = lie;
        EXPECT_EQ(folder.Folder(), CacheEntry() + "/") << static_cast<int>(lie);

        folder.lies[CacheEntry()] = lie;
        EXPECT_EQ(folder.Folder(), PosixTempFolder::kUnusable) << static_cast<int>(lie);
    }
}

TEST_F(TempFolderTest, ARealLinkOrFileInThePrivateFolderPlaceIsRefused) {
    std::filesystem::create_directory(scratch / "cache");
    std::filesystem::create_directory(scratch / "elsewhere");
    std::filesystem::permissions(scratch / "elsewhere", std::filesystem::perms::owner_all);

    std::filesystem::create_directory_symlink(scratch / "elsewhere", PrivateEntry());
    EXPECT_EQ(PosixTempFolder(InScratch(), ::geteuid()).Folder(), CacheEntry() + "/");

    std::filesystem::remove(PrivateEntry());
    testing::ScratchFolder::Write(PrivateEntry(), "a file");
    EXPECT_EQ(PosixTempFolder(InScratch(), ::geteuid()).Folder(), CacheEntry() + "/");
}

TEST_F(TempFolderTest, TheFallbackCreatesTheUsersCacheFolderWhenItHasNone) {
    std::filesystem::create_directory(scratch / "home");
    Environment environment = InScratch();
    environment.cacheHome.clear();
    environment.home = scratch / "home";
    testing::LyingTempFolder folder(environment, ::geteuid());
    folder.lies[PrivateEntry()] = testing::LyingTempFolder::Lie::NotOwned;
    EXPECT_EQ(folder.Folder(), scratch / "home/.cache/quillora/");
    struct stat info {};
    ASSERT_EQ(::lstat((scratch / "home/.cache").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(TempFolderTest, AFolderThatCannotBeCreatedIsRefused) {
    Environment environment = InScratch();
    environment.runtimeDir = scratch / "missing/run";  // its parent does not exist
    environment.cacheHome = scratch / "missing/cache";
    EXPECT_EQ(PosixTempFolder(environment, ::geteuid()).Folder(), PosixTempFolder::kUnusable);
    EXPECT_FALSE(std::filesystem::exists(scratch / "missing"));
}

TEST_F(TempFolderTest, NothingCanBeCreatedInTheUnusableFolder) {
    const std::string inside = std::string(PosixTempFolder::kUnusable) + "temp_vodadir_help.html";
    EXPECT_NE(::mkdir(std::string(PosixTempFolder::kUnusable).c_str(), 0700), 0);
    FILE* file = std::fopen(inside.c_str(), "wb");
    EXPECT_EQ(file, nullptr);
    if (file != nullptr) std::fclose(file);
}

}  // namespace
}  // namespace quillora
