// The double-byte code pages, which Wine takes from the locale of its environment: this program
// runs with LC_ALL=ja_JP.UTF-8 (932), zh_CN.UTF-8 (936), ko_KR.UTF-8 (949) and zh_TW.UTF-8 (950).
// Paths whose double-byte characters have a backslash, 0x5C, or a capital letter as their
// second byte.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/win32/Win32CodePage.h"
#include "adapters/win32/Win32FileSystem.h"
#include "cli/CommandSettings.h"
#include "support/ProcessRunner.h"
#include "engine/PathParts.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/ScratchFolder.h"
#include "storage/FileIo.h"

namespace quillora {
namespace {

// Characters of each page for the names: a folder, file names, a page written by the command,
// and a title. In 932, 936 and 950 the first three have 0x5C as their second byte, and in 936
// and 950 their lead bytes are single-byte characters of 932. 949 has no character that ends
// in 0x5C; there the second bytes are the capitals A, B and C, which stay as they are when a
// file name is lowercased.
struct PageCharacters {
    unsigned codePage;
    const char* locale;
    const char* folder;
    const char* file;
    const char* output;
    const char* title;
};
const PageCharacters kPages[] = {
    {932, "ja_JP", "\x95\x5C", "\x83\x5C", "\x94\x5C", "\x91\xE8"},
    {936, "zh_CN", "\xD5\x5C", "\xD6\x5C", "\xD7\x5C", "\xB0\xA1"},
    {949, "ko_KR", "\xB0\x41", "\xB0\x42", "\xB0\x43", "\xB0\xA1"},
    {950, "zh_TW", "\xA4\x5C", "\xB3\x5C", "\xA5\x5C", "\xA4\x40"},
};

class DoubleByteTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const PageCharacters& page : kPages) {
            if (page.codePage == GetACP()) characters = &page;
        }
        ASSERT_NE(characters, nullptr) << "the test runs in a double-byte code page, not in " << GetACP()
                                       << ": Wine needs the host's locale (tools/install-deps makes it)";
        const char* locale = std::getenv("LC_ALL");
        ASSERT_TRUE(locale != nullptr && std::string(locale).rfind(characters->locale, 0) == 0)
            << "code page " << GetACP() << " comes from the locale " << characters->locale;
        folderName = characters->folder;
        nameCharacter = characters->file;
        outputCharacter = characters->output;
        title = characters->title;
        CodePage::SetActive(Win32CodePage::OfSystem());
        ASSERT_EQ(CodePage::Active().Kind(), CodePageKind::DoubleByte);
        site = scratch.Path().string() + "\\" + folderName;
        ASSERT_TRUE(CreateDirectoryA(site.c_str(), nullptr))
            << "no double-byte name can be made: Wine needs the host's locale (tools/install-deps makes it)";
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

    const PageCharacters* characters = nullptr;
    std::string folderName;
    std::string nameCharacter;    // in file names
    std::string outputCharacter;  // in the name of the page that the command writes
    std::string title;
    testing::ScratchFolder scratch;
    std::string site;
    Win32FileSystem files;
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo io{files, messages};
};

TEST_F(DoubleByteTest, TheActivePageHasTheSystemsLeadBytes) {
    const CodePage page = CodePage::Active();
    EXPECT_EQ(page.Number(), GetACP());
    int leadBytes = 0;
    for (unsigned b = 0; b < 256; ++b) {
        EXPECT_EQ(page.IsLeadByte(static_cast<char>(b)), IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE) << b;
        leadBytes += page.IsLeadByte(static_cast<char>(b)) ? 1 : 0;
    }
    EXPECT_EQ(leadBytes, GetACP() == 932 ? 60 : 126);
}

// Every byte from 0x80 up before a backslash, a capital, an '@' and a byte from the top half:
// the engine's characters are the system's (CharNextA), and FindLast takes only a backslash
// that is a character of its own.
TEST_F(DoubleByteTest, TheEngineWalksCharactersAsTheSystemDoes) {
    std::string text;
    for (unsigned b = 0x80; b < 0x100; ++b) {
        for (char second : {'\x5C', 'A', '@', '\xA1'}) text += {static_cast<char>(b), second};
    }
    text += '\x81';  // a lead byte at the end stands alone
    const CodePage page = CodePage::Active();
    std::vector<std::size_t> engine;
    for (std::size_t at = 0; at < text.size(); at += page.CharLength(text.data(), text.size(), at)) engine.push_back(at);
    std::vector<std::size_t> system;
    std::int32_t lastBackslash = -1;
    for (const char* at = text.c_str(); *at != '\0'; at = CharNextA(at)) {
        system.push_back(static_cast<std::size_t>(at - text.c_str()));
        if (*at == '\\' && CharNextA(at) == at + 1) lastBackslash = static_cast<std::int32_t>(at - text.c_str());
    }
    EXPECT_EQ(engine, system);
    EXPECT_EQ(TextBuffer(text).FindLast('\\'), lastBackslash);
}

TEST_F(DoubleByteTest, PathPartsNeverSplitACharacterAtItsSecondByte) {
    const TextBuffer path(site + "\\" + nameCharacter + "UP.HTML");
    EXPECT_EQ(PathParts::FileNameOf(path).Bytes(), nameCharacter + "up.html");
    EXPECT_EQ(PathParts::DirWithSlash(path).Bytes(), site + "\\");
    EXPECT_EQ(PathParts::DirWithoutSlash(TextBuffer(site + "\\" + outputCharacter)).Bytes(), site);
    EXPECT_EQ(PathParts::ExtensionOf(path).Bytes(), ".html");
}

TEST_F(DoubleByteTest, FilesAreWrittenReadAndFoundByTheirDoubleByteNames) {
    const std::string path = site + "\\" + nameCharacter + ".html";
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "first"));
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "second"));
    EXPECT_TRUE(files.Exists(path));
    EXPECT_TRUE(files.Exists(site));
    auto read = io.ReadWholeFile(TextBuffer(path));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "second");
    EXPECT_EQ(SiteEntries(), std::vector<std::string>{nameCharacter + ".html"});
    EXPECT_TRUE(boxes.shown.empty());
}

// The new file beside a target whose path is near the longest goes into the target's folder,
// found by its last real separator.
TEST_F(DoubleByteTest, ANewFileBesideALongTargetStaysInTheTargetsFolder) {
    const std::string name = std::string(MAX_PATH - site.size() - 4, 'n') + nameCharacter;
    const std::string path = site + "\\" + name;
    ASSERT_LT(path.size(), std::size_t{MAX_PATH});
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "long")) << boxes.Texts().size();
    ASSERT_TRUE(io.WriteWholeFile(TextBuffer(path), "longer"));
    EXPECT_EQ(SiteEntries(), std::vector<std::string>{name});
}

TEST_F(DoubleByteTest, CreateProgramNamesPagesAndIndexLinksByTheirWholeCharacters) {
    testing::CommandSettings settings;
    const std::string templatePath = site + "\\" + nameCharacter + ".html";
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
                                      {"--title", title, "--text-file", "a.txt", "--template", nameCharacter + ".html", "--output",
                                       outputCharacter + "7.HTML", "--accept-terms"},
                                      settings.Environment(), "", site);
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "File \"" + outputCharacter + "7.html\" has been created\n");

    auto read = io.ReadWholeFile(TextBuffer(site + "\\" + outputCharacter + "7.HTML"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "<title>" + title + "</title>text");
    read = io.ReadWholeFile(TextBuffer(site + "\\index.html"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, "<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"" + outputCharacter + "7.html\">1. " + title + "</a><br><br>");
    EXPECT_EQ(std::string(settings.Store().ReadText("LU", "Template", "").Bytes()), templatePath);
    EXPECT_EQ(std::string(settings.Store().ReadText("LU", "SaveDir", "").Bytes()), site + "\\");
}

}  // namespace
}  // namespace quillora
