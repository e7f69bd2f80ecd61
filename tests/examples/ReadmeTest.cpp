// The README's commands for scripts, run as written by a user without settings: the example
// site ends with its first articles in site/ and their links in the index page.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

// The ```sh blocks of the README section that starts with the heading.
std::vector<std::string> ShellBlocks(const std::string& readme, const std::string& heading) {
    std::vector<std::string> blocks;
    std::size_t at = readme.find("\n" + heading + "\n");
    if (at == std::string::npos) return blocks;
    const std::size_t end = readme.find("\n## ", at + 1);
    for (at = readme.find("```sh\n", at); at < end; at = readme.find("```sh\n", at)) {
        at += 6;
        const std::size_t close = readme.find("```\n", at);
        blocks.push_back(readme.substr(at, close - at));
        at = close;
    }
    return blocks;
}

// The lines "# File ..." that show what a block prints.
std::string PrintedLines(const std::string& block) {
    std::string printed;
    for (std::size_t at = block.find("# File "); at != std::string::npos; at = block.find("# File ", at + 1)) {
        printed += block.substr(at + 2, block.find('\n', at) - at - 2) + "\n";
    }
    return printed;
}

TEST(Readme, PublishingFromScriptsWorksAsWritten) {
    const std::vector<std::string> blocks =
        ShellBlocks(testing::ScratchFolder::Read(QUILLORA_README), "## Publishing from scripts");
    ASSERT_EQ(blocks.size(), 2u);
    testing::ScratchFolder home;
    const std::vector<std::string> environment = {
        "HOME=" + home.Path().string(), "XDG_CONFIG_HOME=", "PATH=" QUILLORA_CREATE_DIR ":/usr/bin:/bin"};

    // The first block copies the installed examples; from this source folder, its own.
    std::string first = blocks[0];
    const std::string installed = "/usr/share/doc/quillora/examples";
    ASSERT_NE(first.find(installed), std::string::npos);
    first.replace(first.find(installed), installed.size(), QUILLORA_EXAMPLES_DIR);
    auto firstRun = testing::RunProcess("/bin/bash", {"-euc", first}, environment, "", home.Path().string());
    ASSERT_EQ(firstRun.status, 0) << firstRun.errors;
    EXPECT_EQ(firstRun.errors, PrintedLines(blocks[0]));

    // The second goes on in the same folder, with a text that another program wrote.
    const fs::path lanternStreet = home.Path() / "lantern-street";
    testing::ScratchFolder::Write((lanternStreet / "issue.txt").string(), "The lamp clinic opens in March.\n");
    auto secondRun = testing::RunProcess("/bin/bash", {"-euc", blocks[1]}, environment, "", lanternStreet.string());
    ASSERT_EQ(secondRun.status, 0) << secondRun.errors;
    EXPECT_EQ(secondRun.errors, PrintedLines(blocks[1]));

    const fs::path site = lanternStreet / "site";
    EXPECT_TRUE(fs::is_regular_file(site / "article0001.html"));
    EXPECT_TRUE(fs::is_regular_file(site / "article0002.html"));
    const std::string index = testing::ScratchFolder::Read((site / "index.html").string());
    const std::size_t second = index.find("<a href=\"article0002.html\">2. Issue of ");
    const std::size_t firstLink = index.find("<a href=\"article0001.html\">1. Doors open on Saturdays</a>");
    ASSERT_NE(second, std::string::npos) << index;
    ASSERT_NE(firstLink, std::string::npos) << index;
    EXPECT_LT(second, firstLink) << "the newest first";
    EXPECT_TRUE(fs::is_regular_file(home.Path() / ".config/quillora/registry.reg")) << "the settings in their place";
}

}  // namespace
}  // namespace quillora
