// Writers killed with SIGKILL at random moments (a fixed seed, so every run kills at the same
// offsets): after every kill, once the next run has put right what the killed one left (which
// every read and write does first), the file holds exactly its former or its new content, whole,
// and nothing else is left beside it or in the state folder. Each test runs with O_TMPFILE and
// without it, as on file systems that lack it. With it, a killed writer leaves no name at all
// but in the instant between naming its new file and renaming it over the target.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <iostream>
#include <random>
#include <set>
#include <string>

#include "KillLoop.h"
#include "create/IndexUpdater.h"
#include "storage/Messages.h"
#include "engine/TextBuffer.h"
#include "fakes/FakeArticleForm.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#include "adapters/posix/HiveFile.h"
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#include "storage/FileIo.h"
#include "storage/SettingsStore.h"

namespace quillora {
namespace {

using testing::KillLoop;
using testing::ScratchFolder;

constexpr int kRounds = 150;                 // kills for each kind of file
constexpr int kLongestDelayMicroseconds = 25'000;  // a few whole writes, each with its flush to disk

// What happened over the kills of one test; printed at the end.
struct Tally {
    int kills = 0;
    int checks = 0;
    int midStep = 0;     // killed while a step was under way
    int midStepNew = 0;  // ... and the step had already replaced the file
    int leftovers = 0;   // named new files that a killed writer left, until the next run
    int keptCopies = 0;  // copies of files being written in place, put back by the next run
    std::int64_t steps = 0;

    void Print(const char* what) const {
        std::cout << what << ": " << kills << " kills, " << checks << " checks, " << steps << " steps finished; "
                  << midStep << " kills during a step (" << midStepNew << " found the new content, "
                  << midStep - midStepNew << " the former); the next run removed " << leftovers
                  << " named new files and put back " << keptCopies << " kept copies\n";
    }
};

// The parameter: whether new files can be made without a name (O_TMPFILE).
class CrashTest : public ::testing::TestWithParam<bool> {
protected:
    std::chrono::microseconds Delay() {
        return std::chrono::microseconds(std::uniform_int_distribution<int>(0, kLongestDelayMicroseconds)(random));
    }

    // What the next run does first: counts what the killed writer left beside the files in keep
    // and in the state folder, puts it right, and checks that nothing is left.
    void PutRight(const std::filesystem::path& where, const std::set<std::string>& keep, Tally& tally) {
        for (const auto& entry : std::filesystem::directory_iterator(where)) {
            if (keep.count(entry.path().filename().string()) == 0) ++tally.leftovers;
        }
        if (std::filesystem::exists(stateFolder)) {
            for (const auto& entry : std::filesystem::directory_iterator(stateFolder)) {
                if (entry.path().filename().string().rfind("kept-", 0) == 0) ++tally.keptCopies;
            }
        }
        PosixFileSystem next({stateFolder, GetParam()});
        next.RecoverKeptCopies();
        for (const auto& entry : std::filesystem::directory_iterator(where)) {
            EXPECT_EQ(keep.count(entry.path().filename().string()), 1u) << "left beside the file: " << entry.path();
        }
        if (std::filesystem::exists(stateFolder)) {
            for (const auto& entry : std::filesystem::directory_iterator(stateFolder)) {
                ADD_FAILURE() << "left in the state folder: " << entry.path();
            }
        }
    }

    // Which of the two states the file is in: the child's last finished step, or the step it
    // was in when it died. Anything else fails the test.
    template <typename Expected>
    std::int64_t StateAfter(std::int64_t from, const KillLoop::Report& report, const std::string& actual, Expected expected,
                            Tally& tally) {
        ++tally.kills;
        EXPECT_TRUE(report.killed);
        EXPECT_FALSE(report.failed) << "a step failed in the child";
        if (report.startedNext) ++tally.midStep;
        std::int64_t state = -1;
        if (actual == expected(report.done)) {
            state = report.done;
        } else if (report.startedNext && actual == expected(report.done + 1)) {
            state = report.done + 1;
            ++tally.midStepNew;
        }
        ++tally.checks;
        EXPECT_NE(state, -1) << "after step " << report.done << (report.startedNext ? " (the next one under way)" : "")
                             << " the file holds " << actual.size() << " bytes that are neither its former nor its new content";
        tally.steps += report.done - from;
        return state;
    }

    ScratchFolder folder;
    ScratchFolder stateHome;
    const std::string stateFolder = stateHome / "quillora";
    std::mt19937 random{20261211};
    PosixFileSystem files{{stateFolder, GetParam()}};
    testing::FakeMessageBoxes boxes;
    TextBuffer caption{"Quillora"};
    Messages messages{boxes, caption};
    FileIo fileIo{files, messages};
};

// Version n of a page: its number at both ends and a body whose size changes from one version
// to the next, so that a mixture or a cut shows.
std::string Version(std::int64_t n) {
    const std::string number = std::to_string(n);
    const auto size = static_cast<std::size_t>((n * 7919) % 50000);
    return "version " + number + "\n" + std::string(size, static_cast<char>('a' + n % 26)) + "\nend of version " + number + "\n";
}

// A plain file is replaced by its new file; a file with a second name is written in place.
TEST_P(CrashTest, AFileRewrittenWholeIsAlwaysOneCompleteVersion) {
    for (bool secondName : {false, true}) {
        SCOPED_TRACE(secondName ? "written in place" : "replaced");
        const std::string path = folder / "page.html";
        ScratchFolder::Write(path, Version(0));
        std::set<std::string> keep{"page.html"};
        if (secondName) {
            std::filesystem::create_hard_link(path, folder / "mirror.html");
            keep.insert("mirror.html");
        }
        Tally tally;
        std::int64_t state = 0;
        for (int round = 0; round < kRounds; ++round) {
            const KillLoop::Report report = KillLoop::RunAndKill(
                [&](std::int64_t n) { return fileIo.WriteWholeFile(TextBuffer(path), Version(n)); }, state, Delay());
            PutRight(folder.Path(), keep, tally);
            state = StateAfter(state, report, ScratchFolder::Read(path), Version, tally);
            ASSERT_NE(state, -1) << "round " << round;
            if (secondName) {
                ASSERT_EQ(std::filesystem::hard_link_count(path), 2u);
                ASSERT_EQ(ScratchFolder::Read(folder / "mirror.html"), Version(state));
            }
        }
        tally.Print(secondName ? "whole-file writes in place" : "whole-file writes");
        EXPECT_GT(tally.steps, 0) << "no write ever finished before its kill";
        if (secondName) {
            EXPECT_GT(tally.keptCopies, 0) << "no kill fell into a write in place";
        }
        std::filesystem::remove(folder / "mirror.html");
    }
}

const std::string kIndexPage = "<html><body>\r\n<h1>Articles</h1>\r\n<!--INSERT INDEX HERE-->\r\n</body></html>\r\n";
const std::string kCommentMarker = "<!--INSERT INDEX HERE-->";
constexpr std::size_t kLargestIndexPage = 32 * 1024;  // then the parent starts the page afresh

std::string ArticleTitle(std::int64_t n) { return "Article " + std::to_string(n); }

std::string ArticleFile(std::int64_t n) {
    std::string digits = std::to_string(n);
    return "article" + std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits + ".html";
}

// The index page after the updates first + 1 to last, built by plain string insertion.
std::string IndexAfter(std::string page, std::int64_t first, std::int64_t last) {
    for (std::int64_t n = first + 1; n <= last; ++n) {
        const std::string link = "\r\n\r\n<a href=\"" + ArticleFile(n) + "\">" + std::to_string(n) + ". " +
                                 ArticleTitle(n) + "</a><br><br>";
        page.insert(page.find(kCommentMarker) + kCommentMarker.size(), link);
    }
    return page;
}

TEST_P(CrashTest, AnIndexPageBeingUpdatedIsAlwaysTheFormerOrTheNewPage) {
    const std::string indexPath = folder / "index.html";
    ScratchFolder::Write(indexPath, kIndexPage);
    testing::FakeArticleForm form;
    form.templatePath = TextBuffer(folder / "template.html");
    IndexUpdater updater(form, fileIo, files, messages);

    Tally tally;
    std::int64_t state = 0;
    std::int64_t pageStart = 0;  // the page was kIndexPage after this update
    std::string known = kIndexPage;  // the page after update state
    for (int round = 0; round < kRounds; ++round) {
        const KillLoop::Report report = KillLoop::RunAndKill(
            [&](std::int64_t n) {
                form.articleNumber = static_cast<std::int32_t>(n);
                form.articleTitle = TextBuffer(ArticleTitle(n));
                return updater.UpdateIndexPage(TextBuffer(folder / ArticleFile(n)));
            },
            state, Delay());
        PutRight(folder.Path(), {"index.html"}, tally);
        const std::string atDone = IndexAfter(known, state, report.done);
        auto expected = [&](std::int64_t n) { return n == report.done ? atDone : IndexAfter(atDone, report.done, n); };
        const std::int64_t found = StateAfter(state, report, ScratchFolder::Read(indexPath), expected, tally);
        ASSERT_NE(found, -1) << "round " << round << ", page started after update " << pageStart;
        known = expected(found);
        state = found;
        if (known.size() > kLargestIndexPage) {
            ScratchFolder::Write(indexPath, kIndexPage);
            known = kIndexPage;
            pageStart = state;
        }
    }
    tally.Print("index page updates");
    EXPECT_GT(tally.steps, 0) << "no update ever finished before its kill";
}

// The file system without the waits for the disk: for the parent's own copy of the hive,
// which only has to show what the same changes write when nothing interrupts them.
class UnflushedFileSystem : public PosixFileSystem {
public:
    bool Flush(Handle) override { return true; }
};

const char kLu[] = "HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU";

std::string TemplatePathOf(std::int64_t n) { return "/home/ann/site " + std::to_string(n) + "/template.html"; }

// The settings after step n: odd steps store Counter, even steps Template.
void ApplySettingsStep(SettingsStore& store, std::int64_t n, bool& stored) {
    stored = n % 2 == 1 ? store.WriteInt("LU", "Counter", static_cast<std::int32_t>((n + 1) / 2))
                        : store.WriteText("LU", "Template", TextBuffer(TemplatePathOf(n / 2)));
}

TEST_P(CrashTest, TheSettingsHiveBeingChangedIsAlwaysTheFormerOrTheNewFile) {
    const std::string realFolder = folder / "config";
    const std::string mirrorFolder = folder / "mirror";
    const TextBuffer company("Tessaline");
    const TextBuffer product("Quillora");
    HiveRegistry real(files, realFolder);
    SettingsStore settings(real, company, product);
    UnflushedFileSystem unflushed;
    HiveRegistry mirror(unflushed, mirrorFolder);
    SettingsStore mirrorSettings(mirror, company, product);
    // The keys exist before the kills, so that each step is a single replacement of the file.
    ASSERT_TRUE(settings.WriteInt("LU", "Terms", 1));
    ASSERT_TRUE(mirrorSettings.WriteInt("LU", "Terms", 1));
    const std::string hivePath = real.HivePath();
    const std::string mirrorPath = mirror.HivePath();
    ASSERT_EQ(ScratchFolder::Read(hivePath), ScratchFolder::Read(mirrorPath));

    Tally tally;
    std::int64_t state = 0;
    for (int round = 0; round < kRounds; ++round) {
        const KillLoop::Report report = KillLoop::RunAndKill(
            [&](std::int64_t n) {
                bool stored = false;
                ApplySettingsStep(settings, n, stored);
                return stored;
            },
            state, Delay());
        PutRight(realFolder, {"registry.reg", "registry.reg.lock"}, tally);

        // The mirror takes the same steps, uninterrupted: the file after the last finished step,
        // and after the one under way.
        bool stored = true;
        for (std::int64_t n = state + 1; n <= report.done; ++n) ApplySettingsStep(mirrorSettings, n, stored);
        ASSERT_TRUE(stored);
        const std::string atDone = ScratchFolder::Read(mirrorPath);
        std::string atNext;
        if (report.startedNext) {
            ApplySettingsStep(mirrorSettings, report.done + 1, stored);
            ASSERT_TRUE(stored);
            atNext = ScratchFolder::Read(mirrorPath);
        }
        const std::string actual = ScratchFolder::Read(hivePath);
        auto expected = [&](std::int64_t n) { return n == report.done ? atDone : atNext; };
        const std::int64_t found = StateAfter(state, report, actual, expected, tally);
        ASSERT_NE(found, -1) << "round " << round;
        if (report.startedNext && found == report.done) ScratchFolder::Write(mirrorPath, atDone);  // back to the same state
        state = found;

        // And it reads as the settings of that state.
        const HiveFile hive = HiveFile::Parse(actual);
        ASSERT_TRUE(hive.KeptLines().empty()) << "round " << round;
        const HiveValue* counter = hive.FindValue(kLu, "Counter");
        const HiveValue* templatePath = hive.FindValue(kLu, "Template");
        const HiveValue* terms = hive.FindValue(kLu, "Terms");
        ASSERT_NE(terms, nullptr);
        EXPECT_EQ(terms->data, testing::Dword(1));
        if (state >= 1) {
            ASSERT_NE(counter, nullptr);
            EXPECT_EQ(counter->data, testing::Dword(static_cast<std::int32_t>((state + 1) / 2)));
        }
        if (state >= 2) {
            ASSERT_NE(templatePath, nullptr);
            EXPECT_EQ(templatePath->data, TemplatePathOf(state / 2) + std::string(1, '\0'));
        }
    }
    tally.Print("settings hive changes");
    EXPECT_GT(tally.steps, 0) << "no change ever finished before its kill";
}

INSTANTIATE_TEST_SUITE_P(NewFiles, CrashTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& run) { return run.param ? "Unnamed" : "Named"; });

}  // namespace
}  // namespace quillora
