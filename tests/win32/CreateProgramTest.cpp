// quillora-create.exe as a Windows user runs it: what the file is, its settings in the
// registry, and the Windows forms of bad input.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandSettings.h"
#include "cli/ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::ScratchFolder;

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";
const char kLu[] = "Software\\Tessaline\\Quillora\\LU";

std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
    return value;
}

TEST(CreateProgramFile, IsAConsoleProgramForThirtyTwoBitWindows) {
    const std::string program = ScratchFolder::Read(QUILLORA_CREATE_PATH);
    ASSERT_GT(program.size(), 0x200u);
    ASSERT_EQ(program.substr(0, 2), "MZ");
    const std::size_t pe = Little(program, 0x3C, 4);
    ASSERT_EQ(program.substr(pe, 4), std::string("PE\0\0", 4));
    EXPECT_EQ(Little(program, pe + 4, 2), 0x14Cu) << "machine: i386";
    const std::size_t optional = pe + 24;
    EXPECT_EQ(Little(program, optional, 2), 0x10Bu) << "PE32";
    EXPECT_EQ(Little(program, optional + 68, 2), 3u) << "subsystem: console";
}

class CreateProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ScratchFolder::Write(site / "template.html", kTemplate);
        ScratchFolder::Write(site / "index.html", kIndex);
        ScratchFolder::Write(site / "article.txt", "Line one\r\nLine two\r\n");
        // A user who has accepted the terms and saved a page in the site before.
        Put("Terms", REG_DWORD, std::string("\1\0\0\0", 4));
        Put("SaveDir", REG_SZ, site.Path().string() + "\\" + '\0');
    }

    testing::ProcessResult Run(const std::vector<std::string>& arguments) {
        return testing::RunProcess(QUILLORA_CREATE_PATH, arguments, settings.Environment(), "", site.Path().string());
    }

    // A value put into the user's registry by hand.
    static void Put(const char* name, DWORD type, const std::string& data) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kLu, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    static bool Find(const char* name, DWORD& type, std::string& data) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kLu, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        data.assign(1024, '\0');
        DWORD size = static_cast<DWORD>(data.size());
        LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        RegCloseKey(key);
        data.resize(result == ERROR_SUCCESS ? size : 0);
        return result == ERROR_SUCCESS;
    }

    ScratchFolder site;
    testing::CommandSettings settings;
};

TEST_F(CreateProgramTest, SettingsAreWrittenToTheRegistryWithTheirTypes) {
    auto result = Run({"--title", "First", "--text-file", "article.txt", "--template", "template.html"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "File \"article0001.html\" has been created\n");
    struct Expected {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Expected values[] = {
        {"Template", REG_SZ, site / "template.html" + '\0'},
        {"Index", REG_DWORD, std::string("\1\0\0\0", 4)},
        {"SaveDir", REG_SZ, site.Path().string() + "\\" + '\0'},
        {"Counter", REG_DWORD, std::string("\1\0\0\0", 4)},
    };
    for (const Expected& value : values) {
        DWORD type = 0;
        std::string data;
        ASSERT_TRUE(Find(value.name, type, data)) << value.name;
        EXPECT_EQ(type, value.type) << value.name;
        EXPECT_EQ(data, value.data) << value.name;
    }
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Find("Terms", type, data));
    EXPECT_EQ(data, std::string("\1\0\0\0", 4)) << "the accepted terms stay as they were";
}

// A Counter stored as a text of five digits is six bytes of data: it reads as 0, and the
// next Create stores the number it used as a REG_DWORD.
TEST_F(CreateProgramTest, ACounterStoredAsTextCountsAsNone) {
    Put("Counter", REG_SZ, std::string("12345\0", 6));
    auto result = Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html"});
    ASSERT_EQ(result.status, 0) << result.errors;
    EXPECT_TRUE(std::filesystem::exists(site / "article0001.html"));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Find("Counter", type, data));
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(data, std::string("\1\0\0\0", 4));
}

TEST_F(CreateProgramTest, AReadOnlyIndexPageIsRefusedWithTheWriteMessageAndKept) {
    const std::string index = site / "index.html";
    ASSERT_TRUE(SetFileAttributesA(index.c_str(), FILE_ATTRIBUTE_READONLY));
    auto result = Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html"});
    // The page is written, the index page is kept, and the command says so.
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(result.errors, "Failed to write file " + index + "\nFile \"" + site / "article0001.html" +
                                 "\" was written, but the index page was not updated.\n"
                                 "Once the index page is right, run the same command with --overwrite to add the link.\n");
    EXPECT_EQ(ScratchFolder::Read(index), kIndex);
    EXPECT_EQ(site.Entries(), (std::vector<std::string>{"article.txt", "article0001.html", "index.html", "template.html"}));
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(Find("Counter", type, data)) << "a failed Create stores no number";
}

TEST_F(CreateProgramTest, PathsThroughAMissingDriveOrOntoAFolderFailWithTheirMessages) {
    std::string drive;
    for (char letter = 'Y'; letter >= 'D' && drive.empty(); --letter) {
        if (!(GetLogicalDrives() & (1u << (letter - 'A')))) drive = std::string(1, letter) + ":";
    }
    ASSERT_FALSE(drive.empty());
    std::filesystem::create_directory(site / "folder.html");
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        std::string errors;
    };
    const Case cases[] = {
        {"template on a missing drive", {"--title", "T", "--text-file", "article.txt", "--template", drive + "\\site\\template.html"},
         "Unable to read file: " + drive + "\\site\\template.html\n"},
        {"page on a missing drive", {"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--output",
                                     drive + "\\site\\page.html"},
         "Failed to write file " + drive + "\\site\\page.html\n"},
        {"page onto a folder", {"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--output",
                                "folder.html", "--overwrite"},
         "Failed to write file " + site / "folder.html" + "\n"},
    };
    for (const Case& c : cases) {
        auto result = Run(c.arguments);
        EXPECT_EQ(result.status, 1) << c.what;
        EXPECT_EQ(result.errors, c.errors) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_directory(site / "folder.html"));
    EXPECT_EQ(ScratchFolder::Read(site / "index.html"), kIndex);
}

}  // namespace
}  // namespace quillora
