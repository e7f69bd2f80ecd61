#include "support/ProcessRunner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::RunProcess;

// Each argument arrives exactly as given: nothing is split, quoted, expanded or globbed, as a
// shell (sh or cmd) would.
TEST(ProcessRunnerTest, EveryArgumentArrivesUnchanged) {
    const std::vector<std::string> arguments = {
        "plain",           "two words",      "",
        "'single quotes'", "\"double\"",     "mid\"quote",
        "back\\slash",     "C:\\Web\\",      "ends in two \\\\",
        "\\\"",            "$HOME ${PATH}",  "%PATH%",
        "*.html",          "a;b|c&d>e<f",    "`date`",
        "tab\there",       "line\nbreak",    "--option=\"x y\"",
    };
    std::string expected;
    for (const std::string& argument : arguments) expected += '[' + argument + "]\n";
    const testing::ProcessResult run = RunProcess(QUILLORA_ARGUMENT_ECHO, arguments);
    EXPECT_EQ(run.output, expected);
    EXPECT_EQ(run.status, static_cast<int>(arguments.size()));
}

TEST(ProcessRunnerTest, FeedsTheInputAndGivesTheEnvironmentAndTheFolder) {
    testing::ScratchFolder scratch;
    const std::string input(1 << 20, 'x');  // more than any pipe holds at once
    const testing::ProcessResult run =
        RunProcess(QUILLORA_ARGUMENT_ECHO, {}, {"QUILLORA_ECHO=a value; with $signs"}, input, scratch.Path().string());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "input=1048576:" + input.substr(0, 40) + "\nenv=a value; with $signs\nfolder=" +
                              scratch.Path().filename().string() + "\n");
}

TEST(ProcessRunnerTest, WithoutInputOrEntriesTheChildGetsNeither) {
    const testing::ProcessResult run = RunProcess(QUILLORA_ARGUMENT_ECHO, {"x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors.substr(0, 24), "input=0:\nenv=<unset>\nfol");
}

TEST(ProcessRunnerTest, AProgramThatCannotStartGivesNoStatus) {
    testing::ScratchFolder scratch;
    const testing::ProcessResult missing = RunProcess(scratch / "no-such-program", {"x"});
    EXPECT_EQ(missing.status, -1);
    EXPECT_EQ(missing.output, "");
    testing::ScratchFolder::Write(scratch / "not-a-program", "neither a script nor an executable");
    EXPECT_EQ(RunProcess(scratch / "not-a-program", {}).status, -1);
    EXPECT_EQ(RunProcess(QUILLORA_ARGUMENT_ECHO, {}, {}, "", scratch / "no-such-folder").status, -1);
}

}  // namespace
}  // namespace quillora
