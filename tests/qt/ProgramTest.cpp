// The built program as a user starts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

// Starts the program for a user who accepted the terms earlier; its window closes as soon as it
// has been shown.
testing::ProcessResult StartProgram(const testing::ScratchFolder& home, const std::vector<std::string>& arguments) {
    std::filesystem::create_directories(home / "config/quillora");
    std::filesystem::create_directories(home / "run");
    std::filesystem::permissions(home / "run", std::filesystem::perms::owner_all);
    testing::ScratchFolder::Write(home / "config/quillora/registry.reg",
                                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n"
                                  "\"Terms\"=dword:00000001\n");
    return testing::RunProcess(QUILLORA_PROGRAM_FILE, arguments,
                               {"QT_QPA_PLATFORM=offscreen", "QUILLORA_END_WHEN_SHOWN=1", "HOME=" + home.Path().string(),
                                "XDG_CONFIG_HOME=" + (home / "config"), "XDG_RUNTIME_DIR=" + (home / "run")});
}

TEST(Program, CommandLineArgumentsChangeNothing) {
    testing::ScratchFolder home;
    const testing::ProcessResult plain = StartProgram(home, {});
    ASSERT_EQ(plain.status, 0) << plain.errors;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"-platform", "no-such-platform"}, {"-style", "no-such-style", "-reverse"},
                                               {"article.html", "--help"}}) {
        SCOPED_TRACE(arguments.front());
        const testing::ProcessResult run = StartProgram(home, arguments);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.output, plain.output);
    }
}

}  // namespace
}  // namespace quillora
