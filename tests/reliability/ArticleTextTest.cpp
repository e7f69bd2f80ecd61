// Article texts that are no plain text, or too large, given to quillora-create from a file and on
// standard input: each ends in a message and exit status 1, never in an abort, and nothing is
// written (no page, the index page as it was, no settings).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "CreateProcess.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::CreateProcess;
using testing::ScratchFolder;

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // the sanitizer's shadow memory cannot live under an address space limit
#else
constexpr bool kSanitized = false;
#endif

// The terms of use accepted earlier, as quillora-create asks.
const char kSettings[] = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n\"Terms\"=dword:00000001\n";

class ArticleTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"site", "config", "state"}) std::filesystem::create_directory(folder / name);
        ScratchFolder::Write(folder / "site/template.html", kTemplate);
        ScratchFolder::Write(folder / "site/index.html", kIndex);
        std::filesystem::create_directory(folder / "config/quillora");
        ScratchFolder::Write(folder / "config/quillora/registry.reg", kSettings);
    }

    CreateProcess::Result Run(const std::string& textFile, const std::string& inputFile, std::uint64_t addressSpaceLimit) {
        CreateProcess::Options options;
        options.arguments = {"--title", "Spring", "--text-file", textFile, "--template", folder / "site/template.html",
                             "--output", folder / "site/article0001.html", "--index"};
        options.environment = {"PATH=/usr/bin:/bin", "HOME=" + (folder / "config"), "XDG_CONFIG_HOME=" + (folder / "config"),
                               "XDG_STATE_HOME=" + (folder / "state")};
        options.workingFolder = folder.Path().string();
        options.inputFile = inputFile;
        options.addressSpaceLimit = addressSpaceLimit;
        return CreateProcess::Run(QUILLORA_CREATE_PATH, folder / "errors.txt", options);
    }

    ScratchFolder folder;
};

TEST_F(ArticleTextTest, TextsThatAreNoPlainTextOrTooLargeEndInAMessageAndWriteNothing) {
    const std::string utf16 =
        "\n\nThe file is in UTF-16. Save it as plain text in your system's character set (UTF-8 on most systems) and try again.";
    const std::string zeroByte = "\n\nThe file holds a zero byte, which no plain text holds.";
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        std::string explanation;  // after "Unable to read file: <name>"
        bool onStandardInput;     // also given on standard input
        std::uint64_t addressSpaceLimit;
    };
    const auto bytes = [](std::string content) {
        return [content](const std::string& path) { ScratchFolder::Write(path, content); };
    };
    const Case cases[] = {
        {"UTF-16 with its byte order mark", bytes(std::string("\xFF\xFEH\0e\0l\0l\0o\0\r\0\n\0", 16)), utf16, true, 0},
        {"UTF-16 big-endian with its byte order mark", bytes(std::string("\xFE\xFF\0H\0i", 6)), utf16, true, 0},
        {"UTF-16 without a byte order mark", bytes(std::string("H\0e\0l\0l\0o\0", 10)), utf16, true, 0},
        {"a zero byte in a text", bytes(std::string("Hello\0 world\n", 13)), zeroByte, true, 0},
        {"a zero byte at the end", bytes(std::string("Hello world\n\0", 13)), zeroByte, true, 0},
        {"over 2 GiB (a sparse file)",
         [](const std::string& path) {
             ScratchFolder::Write(path, "");
             std::filesystem::resize_file(path, (std::uintmax_t{1} << 31) + 4096);
         },
         "", false, 0},
        {"300 MB under a 200 MiB memory limit",
         [](const std::string& path) {
             std::ofstream out(path, std::ios::binary);
             const std::string line(99, 'x');
             for (int i = 0; i < 3'000'000; ++i) out << line << '\n';
         },
         "", true, std::uint64_t{200} << 20},
    };
    for (const Case& c : cases) {
        if (c.addressSpaceLimit != 0 && kSanitized) continue;
        const std::string textFile = folder / "text.txt";
        c.make(textFile);
        for (bool standardInput : {false, true}) {
            if (standardInput && !c.onStandardInput) continue;
            SCOPED_TRACE(std::string(c.what) + (standardInput ? ", on standard input" : ", in a file"));
            const CreateProcess::Result result =
                standardInput ? Run("-", textFile, c.addressSpaceLimit) : Run(textFile, "/dev/null", c.addressSpaceLimit);
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.errors, "Unable to read file: " + (standardInput ? std::string("standard input") : textFile) +
                                         c.explanation + "\n");
            EXPECT_FALSE(std::filesystem::exists(folder / "site/article0001.html"));
            EXPECT_EQ(ScratchFolder::Read(folder / "site/index.html"), kIndex);
            EXPECT_EQ(ScratchFolder::Read(folder / "config/quillora/registry.reg"), kSettings) << "settings were written";
        }
        std::filesystem::remove(textFile);
    }
}

}  // namespace
}  // namespace quillora
