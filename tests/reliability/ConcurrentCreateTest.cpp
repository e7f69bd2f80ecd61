// Twenty quillora-create runs started at once into one archive, round after round, as scripts
// that publish at the same moment would start them. Whatever the order in which they come,
// every run that reports success has a page of its own, the index page lists every reported
// page exactly once, Counter ends at the number of pages made, and every other run says why and
// changed nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "CreateProcess.h"
#include "adapters/posix/HiveFile.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

using testing::CreateProcess;
using testing::ScratchFolder;

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";
const char kLu[] = "HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU";
constexpr int kRuns = 20;
constexpr int kRounds = 4;

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string PageName(int number) {
    std::string digits = std::to_string(number);
    return "article" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + ".html";
}

class ConcurrentCreateTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        for (const char* name : {"site", "config", "state", "runs"}) std::filesystem::create_directory(folder / name);
        ScratchFolder::Write(Site("template.html"), kTemplate);
        ScratchFolder::Write(Site("index.html"), kIndex);
        ScratchFolder::Write(folder / "text.txt", "The text\nof the issue\n");
        // The terms of use accepted, and the site the folder saved to last, as after a first article.
        std::filesystem::create_directory(folder / "config/quillora");
        ScratchFolder::Write(folder / "config/quillora/registry.reg",
                             "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n\"Terms\"=dword:00000001\n"
                             "\"SaveDir\"=\"" + folder.Path().string() + "/site/\"\n");
    }
    std::string Site(const std::string& name) const { return folder / ("site/" + name); }

    ScratchFolder folder;
};

// The parameter: each run is given a number of its own (--number), or takes the one after the
// last number used, as a script usually does.
TEST_P(ConcurrentCreateTest, EveryReportedSuccessHasItsPageAndItsLinkAndNothingElseChanged) {
    const bool ownNumbers = GetParam();
    std::map<int, std::string> pages;  // number -> the title of the run that reported it
    int successes = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<CreateProcess> runs;
        std::vector<std::string> titles;
        for (int k = 0; k < kRuns; ++k) {
            titles.push_back("Run " + std::to_string(round) + "-" + std::to_string(k));
            runs.emplace_back(QUILLORA_CREATE_PATH, folder / ("runs/" + std::to_string(k)));
        }
        for (int k = 0; k < kRuns; ++k) {
            CreateProcess::Options options;
            options.arguments = {"--title", titles[k], "--text-file", folder / "text.txt",
                                 "--template", Site("template.html"), "--index"};
            if (ownNumbers) options.arguments.insert(options.arguments.end(), {"--number", std::to_string(round * kRuns + k + 1)});
            options.environment = {"PATH=/usr/bin:/bin", "HOME=" + (folder / "config"), "XDG_CONFIG_HOME=" + (folder / "config"),
                                   "XDG_STATE_HOME=" + (folder / "state")};
            options.workingFolder = folder / "site";
            ASSERT_TRUE(runs[k].Start(options));
        }
        const std::regex created("^File \"(article[0-9]+\\.html)\" has been created\n$");
        for (int k = 0; k < kRuns; ++k) {
            SCOPED_TRACE(titles[k]);
            const CreateProcess::Result result = runs[k].Finish();
            std::smatch match;
            if (result.status == 0) {
                ASSERT_TRUE(std::regex_match(result.errors, match, created)) << result.errors;
                const int number = std::stoi(match[1].str().substr(7));
                EXPECT_EQ(pages.count(number), 0u) << "a second success for " << match[1];
                pages[number] = titles[k];
                ++successes;
                EXPECT_EQ(ScratchFolder::Read(Site(match[1])),
                          "<html><title>" + titles[k] + "</title><body>The text<br>\r\nof the issue<br>\r\n</body></html>");
            } else {
                EXPECT_EQ(result.status, 1) << result.errors;
                EXPECT_FALSE(ownNumbers) << "a run with a number of its own failed: " << result.errors;
                // Why: the page was there when it looked, or appeared while it ran.
                const bool there = result.errors.find("\" already exists; use --overwrite to replace it\n") != std::string::npos;
                const bool appeared = result.errors.find("Failed to write file ") == 0 &&
                                      result.errors.find("created by another program meanwhile") != std::string::npos;
                EXPECT_TRUE(there || appeared) << result.errors;
            }
        }
        if (!ownNumbers) {
            EXPECT_GE(successes, round + 1) << "each round makes at least one page";
        }
    }

    // The index page holds every reported page once, newest first, and nothing else.
    const std::string index = ScratchFolder::Read(Site("index.html"));
    std::string links;
    for (auto page = pages.rbegin(); page != pages.rend(); ++page) {
        links += "\r\n\r\n<a href=\"" + PageName(page->first) + "\">" + std::to_string(page->first) + ". " + page->second +
                 "</a><br><br>";
    }
    if (ownNumbers) {
        // Runs finish in any order; each link is there exactly once.
        for (const auto& [number, title] : pages) {
            EXPECT_EQ(Occurrences(index, "<a href=\"" + PageName(number) + "\">" + std::to_string(number) + ". " + title + "</a>"), 1u);
        }
        EXPECT_EQ(Occurrences(index, "<a href="), pages.size());
        EXPECT_EQ(pages.size(), static_cast<std::size_t>(kRounds * kRuns));
    } else {
        EXPECT_EQ(index, "<html><body><!--INSERT INDEX HERE-->" + links + "</body></html>");
        // The pages are numbered 1, 2, ... without a gap: each run took the number after the last.
        EXPECT_EQ(pages.rbegin()->first, static_cast<int>(pages.size()));
    }

    // Counter is the number of pages made; the site holds them and nothing else.
    const HiveFile hive = HiveFile::Parse(ScratchFolder::Read(folder / "config/quillora/registry.reg"));
    const HiveValue* counter = hive.FindValue(kLu, "Counter");
    ASSERT_NE(counter, nullptr);
    const auto* bytes = reinterpret_cast<const unsigned char*>(counter->data.data());
    EXPECT_EQ(static_cast<int>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | bytes[3] << 24), successes);
    EXPECT_TRUE(hive.KeptLines().empty());
    std::set<std::string> expected{"index.html", "template.html"};
    for (const auto& [number, title] : pages) expected.insert(PageName(number));
    std::set<std::string> site;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "site")) site.insert(entry.path().filename().string());
    EXPECT_EQ(site, expected);
    if (std::filesystem::exists(folder / "state/quillora")) {
        EXPECT_TRUE(std::filesystem::is_empty(folder / "state/quillora")) << "a kept copy or a note was left";
    }
    std::cout << (ownNumbers ? "own numbers: " : "next numbers: ") << successes << " pages from " << kRounds * kRuns
              << " runs\n";
}

INSTANTIATE_TEST_SUITE_P(Numbers, ConcurrentCreateTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& run) { return run.param ? "OwnNumbers" : "NextNumbers"; });

}  // namespace
}  // namespace quillora
