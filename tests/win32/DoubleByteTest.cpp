// Code page 932 (this program runs with LC_ALL=ja_JP.UTF-8, which gives Wine that ANSI code
// page): paths whose double-byte characters have a backslash, 0x5C, as their second byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/win32/Win32CodePage.h"
#include "adapters/win32/Win32FileSystem.h"
#include "cli/CommandSettings.h"
#include "cli/ProcessRunner.h"
#include "engine/PathParts.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/ScratchFolder.h"
#include "storage/FileIo.h"

namespace quillora {
namespace {

// Shift JIS characters whose second byte is 0x5C.
const std::string kHyou = "\x95\x5C";  // a folder's name
const std::string kSo = "\x83\x5C";    // in file names
const std::string kNou = "\x94\x5C";
const std::string kTitle = "\x91\xE8";  // a title without a 0x5C

class DoubleByteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "the test runs in code page 932";
        CodePage::SetActive(Win32CodePage::OfSystem());
        ASSERT_EQ(CodePage::Active(), CodePageKind::DoubleByte);
        site = scratch.Path().string() + "\\" + kHyou;
        ASSERT_TRUE(CreateDirectoryA(site.c_str(), nullptr))
            << "no double-byte name can be made: Wine needs the host's ja_JP.UTF-8 locale (tools/install-deps makes it)";
    }
    void TearDown() override { CodePage::SetActive(CodePageKind::Utf8); }

    // Everything in the site, as its ANSI names.
    std::vector<std::string> SiteEntries() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((site + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    testing::ScratchFolder scratch;
    std::string site;
    Win32FileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo io{files, messages};
};

TEST_F(DoubleByteTest, PathPartsNeverSplitACharacterAtItsSecondByte) {
    const TextBuffer path(site + "\\" + kSo + "UP.HTML");
    EXPECT_EQ(PathParts::FileNameOf(path).Bytes(), kSo + "up.html");
    EXPECT_EQ(PathParts::DirWithSlash(path).Bytes(), site + "\\");
    EXPECT_EQ(PathParts::DirWithoutSlash(TextBuffer(site + "\\" + kNou)).Bytes(), site);
    EXPECT_EQ(PathParts::ExtensionOf(path).Bytes(), ".html");
}

TEST_F(DoubleByteTest, FilesAreWrittenReadAndFoundByTheirDoubleByteNames) {
    const std::string path = site + "\\" + kSo + ".html";
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "first"));
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "second"));
    EXPECT_TRUE(files.Exists(path));
    EXPECT_TRUE(files.Exists(site));
    auto read = io.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "second");
    EXPECT_EQ(SiteEntries(), std::vector<std::string>{kSo + ".html"});
    EXPECT_TRUE(boxes.shown.empty());
}

// The new file beside a target whose path is near the longest goes into the target's folder,
// found by its last real separator.
TEST_F(DoubleByteTest, ANewFileBesideALongTargetStaysInTheTargetsFolder) {
    const std::string name = std::string(MAX_PATH - site.size() - 4, 'n') + kSo;
    const std::string path = site + "\\" + name;
    ASSERT_LT(path.size(), std::size_t{MAX_PATH});
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "long")) << boxes.Texts().size();
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "longer"));
    EXPECT_EQ(SiteEntries(), std::vector<std::string>{name});
}

TEST_F(DoubleByteTest, CreateProgramNamesPagesAndIndexLinksByTheirWholeCharacters) {
    testing::CommandSettings settings;
    const std::string templatePath = site + "\\" + kSo + ".html";
    auto write = [](const std::string& path, const std::string& bytes) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD wrote = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
        CloseHandle(file);
    };
    write(templatePath, "<title>INSERT TITLE HERE</title>INSERT ARTICLE HERE");
    write(site + "\\index.html", "<!--INSERT INDEX HERE-->");
    write(site + "\\a.txt", "text");

    auto result = testing::RunProcess(QUILLORA_CREATE_PATH,
                                      {"--title", kTitle, "--text-file", "a.txt", "--template", kSo + ".html", "--output",
                                       kNou + "7.HTML", "--accept-terms"},
                                      settings.Environment(), "", site);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "File \"" + kNou + "7.html\" has been created\n");

    auto read = io.ReadWholeFile(TextBuffer(site + "\\" + kNou + "7.HTML"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "<title>" + kTitle + "</title>text");
    read = io.ReadWholeFile(TextBuffer(site + "\\index.html"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"" + kNou + "7.html\">1. " + kTitle + "</a><br><br>");
    EXPECT_EQ(std::string(settings.Store().ReadText("LU", "Template", "").Bytes()), templatePath);
    EXPECT_EQ(std::string(settings.Store().ReadText("LU", "SaveDir", "").Bytes()), site + "\\");
}

}  // namespace
}  // namespace quillora
