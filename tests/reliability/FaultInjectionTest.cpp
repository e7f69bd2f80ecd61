// Every step of the two lasting writes of a Create command made to fail, one at a time, as a
// user would meet it: the index page update (the documented message, the index page as it was,
// nothing left beside it) and the settings hive (no message, the change reported as failed,
// the hive as it was, nothing left beside it).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "create/ArticleCreator.h"
#include "fakes/FakeArticleForm.h"
#include "fakes/FakeFileDialogs.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/FixedClock.h"
#include "fakes/MemoryRegistry.h"
#include "fakes/ScratchFolder.h"
#ifndef _WIN32
#include "adapters/posix/HiveFile.h"
#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#endif
#include "storage/FileIo.h"
#include "storage/SettingsStore.h"

namespace quillora {
namespace {

using testing::FaultyFileSystem;
using testing::ScratchFolder;
using Step = FaultyFileSystem::Step;

const Step kAllSteps[] = {Step::OpenForReading, Step::SizeOf,     Step::Read,   Step::Close,      Step::ResolveLinks,
                          Step::Inspect,        Step::CreateBeside, Step::TakeIdentity, Step::Write, Step::ShortWrite,
                          Step::Flush,          Step::PutInPlace, Step::KeepCopy, Step::OpenInPlace, Step::Truncate,
                          Step::PutBack,        Step::Exists,     Step::Remove, Step::Lock,       Step::LockFolder};

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndexPage[] = "<body>\r\n<!--INSERT INDEX HERE-->\r\n<a href=\"article0041.html\">41. Before</a></body>";

std::vector<std::string> EntriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// How many calls of each step a run makes.
std::map<Step, int> CallsOf(const FaultyFileSystem& files) {
    std::map<Step, int> calls;
    for (Step step : kAllSteps) calls[step] = files.Calls(step);
    return calls;
}

// A Create command for article 42 over real files in a scratch folder.
class CreateRun {
public:
    explicit CreateRun(FileSystem& pageFiles, Registry& registry)
        : fileIo_(pageFiles, messages_), settings_(registry, registryKey_, profileName_),
          creator_(form, fileIo_, settings_, dialogs, messages_, clock_, pageFiles) {}

    bool Click(const std::string& templatePath, const std::string& pagePath, bool updateIndex) {
        form.templatePath = TextBuffer(templatePath);
        form.articleTitle = "Spring";
        form.articleText = "Hello\r\nhttp://example.com/";
        form.articleNumber = 42;
        form.updateIndex = updateIndex ? 1 : 0;
        dialogs.Choose(pagePath);
        return creator_.OnCreateClicked();
    }

    testing::FakeMessageBoxes boxes;
    testing::FakeArticleForm form;
    testing::FakeFileDialogs dialogs;

private:
    TextBuffer caption_{"Quillora"};
    Messages messages_{boxes, caption_};
    FileIo fileIo_;
    TextBuffer registryKey_{"Tessaline"};
    TextBuffer profileName_{"Quillora"};
    SettingsStore settings_;
    testing::FixedClock clock_{2005, 3, 29, 2};
    ArticleCreator creator_;
};

class FaultInjectionTest : public ::testing::Test {
protected:
    FaultInjectionTest() {
        std::filesystem::create_directories(site);
        std::filesystem::create_directories(config);
    }

    void PutSiteInPlace(bool secondName = false) {
        ScratchFolder::Write(templatePath, kTemplate);
        std::filesystem::remove(indexPath);
        std::filesystem::remove(mirrorPath);
        ScratchFolder::Write(indexPath, kIndexPage);
        if (secondName) std::filesystem::create_hard_link(indexPath, mirrorPath);
        std::filesystem::remove(pagePath);
    }
    // Kept copies of files written in place, and notes of new files, left in the state folder.
    std::vector<std::string> StateEntries() const {
        return std::filesystem::exists(stateFolder) ? EntriesOf(stateFolder) : std::vector<std::string>{};
    }

    ScratchFolder folder;
    const std::string state = folder / "state";
    const std::string stateFolder = folder / "state/quillora";
    const std::string mirrorPath = folder / "index-mirror.html";  // the index page's second name
    const std::string templatePath = folder / "template.html";
    const std::string site = folder / "site";
    const std::string indexPath = site + testing::kSep + "index.html";
    const std::string pagePath = site + testing::kSep + "article0042.html";
    const std::string config = folder / "config";
};

// The index page update fails at each of its steps: reading, and each step of the replacement.
TEST_F(FaultInjectionTest, AFailedIndexUpdateShowsItsMessageAndKeepsTheIndexPageWhole) {
    // The calls that a Create makes without the index update come first; the index update's
    // own calls follow them.
    PutSiteInPlace();
    testing::NativeFileSystem probeFiles({stateFolder});
    FaultyFileSystem probe(probeFiles);
    testing::MemoryRegistry probeRegistry;
    CreateRun withoutIndex(probe, probeRegistry);
    ASSERT_TRUE(withoutIndex.Click(templatePath, pagePath, false));
    const std::map<Step, int> before = CallsOf(probe);

    const std::string readMessage = "Unable to read file: " + indexPath;
    const std::string writeMessage = "Failed to write file " + indexPath;
    struct Case {
        const char* what;
        Step step;
        int nthOfTheUpdate;
        std::string message;
        bool secondName;  // the index page has another name too: it is written in place
    };
    const Case cases[] = {
        {"looking for the index page", Step::Exists, 1, "No index file exists:\n\n" + indexPath, false},
        {"opening it", Step::OpenForReading, 1, readMessage, false},
        {"asking its size", Step::SizeOf, 1, readMessage, false},
        {"reading it", Step::Read, 1, readMessage, false},
        {"closing it after reading", Step::Close, 1, readMessage, false},
        {"following links to it", Step::ResolveLinks, 1, writeMessage, false},
        {"looking at what it is", Step::Inspect, 1, writeMessage, false},
        {"creating the new file beside it", Step::CreateBeside, 1, writeMessage, false},
        {"writing the new file", Step::Write, 1, writeMessage, false},
        {"a short write on a full disk", Step::ShortWrite, 1, writeMessage, false},
        {"flushing the new file to disk", Step::Flush, 1, writeMessage, false},
        {"putting it in the index page's place", Step::PutInPlace, 1, writeMessage, false},
        {"in place: keeping a copy of the index page", Step::KeepCopy, 1, writeMessage, true},
        {"in place: opening the index page", Step::OpenInPlace, 1, writeMessage, true},
        {"in place: writing into it", Step::Write, 1, writeMessage, true},
        {"in place: a short write on a full disk", Step::ShortWrite, 1, writeMessage, true},
        {"in place: cutting it to its length", Step::Truncate, 1, writeMessage, true},
        {"in place: flushing it", Step::Flush, 1, writeMessage, true},
        {"in place: closing it", Step::Close, 2, writeMessage, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutSiteInPlace(c.secondName);
        testing::NativeFileSystem files({stateFolder});
        FaultyFileSystem faulty(files);
        testing::MemoryRegistry registry;
        CreateRun run(faulty, registry);
        faulty.FailAt(c.step, before.at(c.step) + c.nthOfTheUpdate);

        EXPECT_FALSE(run.Click(templatePath, pagePath, true));

        EXPECT_GE(faulty.Calls(c.step), before.at(c.step) + c.nthOfTheUpdate) << "the fault was reached";
        ASSERT_EQ(run.boxes.shown.size(), 1U);
        EXPECT_EQ(run.boxes.shown[0].text, c.message);
        EXPECT_EQ(run.boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(ScratchFolder::Read(indexPath), kIndexPage);
        if (c.secondName) {
            EXPECT_EQ(ScratchFolder::Read(mirrorPath), kIndexPage);
            FileSystem::Facts facts;
            ASSERT_TRUE(files.Inspect(indexPath, facts));
            EXPECT_TRUE(facts.otherNames) << "the index page is still one file with two names";
        }
        // The new page stays, and nothing half written lies beside it or in the state folder.
        EXPECT_EQ(EntriesOf(site), (std::vector<std::string>{"article0042.html", "index.html"}));
        EXPECT_EQ(StateEntries(), std::vector<std::string>{});
        RegistryType type = RegistryType::None;
        std::string counter;
        EXPECT_FALSE(registry.Get("Software\\Tessaline\\Quillora\\LU", "Counter", type, counter)) << "a failed run stores no number";
        EXPECT_EQ(run.form.articleNumber, 42);
    }
}

#ifndef _WIN32
// The settings hive file of Linux.
const std::string kLu = "HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU";

// The hive as a first Create for article 42 leaves it, apart from the number, so that the
// command's only change to the file is Counter.
std::string SettledHive(const std::string& templatePath, const std::string& site) {
    HiveFile hive;
    hive.SetValue(kLu, "Terms", RegistryType::Dword, std::string("\x01\0\0\0", 4));
    hive.SetValue(kLu, "Template", RegistryType::Sz, templatePath + std::string(1, '\0'));
    hive.SetValue(kLu, "Index", RegistryType::Dword, std::string("\x01\0\0\0", 4));
    hive.SetValue(kLu, "Counter", RegistryType::Dword, std::string("\x29\0\0\0", 4));  // 41
    hive.SetValue(kLu, "SaveDir", RegistryType::Sz, site + "/" + std::string(1, '\0'));
    return hive.Write();
}

// The settings hive fails at each step of a change. Directly, the write reports false; within a
// Create command (whose last change is Counter) nothing is shown beyond the command's own
// success message. Either way the hive is as it was and nothing is left beside it.
TEST_F(FaultInjectionTest, AFailedSettingsChangeIsSilentAndKeepsTheHiveWhole) {
    const std::string hivePath = config + "/registry.reg";
    const std::string former = SettledHive(templatePath, site);
    const std::vector<std::string> configEntries{"registry.reg", "registry.reg.lock"};

    // A clean Create: the Counter change is the last call of each step on the hive's files.
    PutSiteInPlace();
    ScratchFolder::Write(hivePath, former);
    FaultyFileSystem probe;
    PosixFileSystem pageFiles;
    {
        HiveRegistry hive(probe, config);
        CreateRun clean(pageFiles, hive);
        ASSERT_TRUE(clean.Click(templatePath, pagePath, true));
        std::optional<HiveFile> after = HiveFile::Parse(ScratchFolder::Read(hivePath));
        ASSERT_TRUE(after.has_value());
        ASSERT_NE(after->FindValue(kLu, "Counter"), nullptr);
        EXPECT_EQ(after->FindValue(kLu, "Counter")->data, std::string("\x2a\0\0\0", 4));
        ASSERT_EQ(probe.Calls(Step::CreateBeside), 1) << "Counter is the only change that rewrites the hive";
    }
    const std::map<Step, int> total = CallsOf(probe);

    struct Case {
        const char* what;
        Step step;
        int fromTheEnd;  // 0 for the last call of the step
    };
    const Case cases[] = {
        {"taking the lock", Step::Lock, 0},
        {"reading the hive again under the lock", Step::OpenForReading, 0},
        {"asking its size", Step::SizeOf, 0},
        {"reading it", Step::Read, 0},
        {"closing it after reading", Step::Close, 1},
        {"creating the new file beside it", Step::CreateBeside, 0},
        {"writing the new file", Step::Write, 0},
        {"a short write on a full disk", Step::ShortWrite, 0},
        {"flushing the new file to disk", Step::Flush, 0},
        {"closing the new file", Step::Close, 0},
        {"renaming it over the hive", Step::PutInPlace, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);

        // Directly: WriteInt and WriteText report the failure and change nothing.
        for (bool text : {false, true}) {
            auto write = [text](SettingsStore& settings) {
                return text ? settings.WriteText("LU", "SaveDir", "/elsewhere/") : settings.WriteInt("LU", "Counter", 7);
            };
            const TextBuffer registryKey("Tessaline");
            const TextBuffer profileName("Quillora");
            // The calls of one write, its change coming last.
            ScratchFolder::Write(hivePath, former);
            FaultyFileSystem counting;
            HiveRegistry countingHive(counting, config);
            SettingsStore countingSettings(countingHive, registryKey, profileName);
            ASSERT_TRUE(write(countingSettings));
            const std::map<Step, int> perWrite = CallsOf(counting);

            ScratchFolder::Write(hivePath, former);
            FaultyFileSystem faulty;
            HiveRegistry hive(faulty, config);
            SettingsStore settings(hive, registryKey, profileName);
            faulty.FailAt(c.step, perWrite.at(c.step) - c.fromTheEnd);
            EXPECT_FALSE(write(settings)) << (text ? "WriteText" : "WriteInt");
            EXPECT_GE(faulty.Calls(c.step), perWrite.at(c.step) - c.fromTheEnd) << "the fault was reached";
            EXPECT_EQ(ScratchFolder::Read(hivePath), former);
            EXPECT_EQ(EntriesOf(config), configEntries);
            EXPECT_EQ(settings.ReadInt("LU", "Counter", 0), 41);
        }

        // Within a Create command: the page and the index are made, the user hears of nothing
        // but the success, and the hive keeps the former number.
        PutSiteInPlace();
        ScratchFolder::Write(hivePath, former);
        FaultyFileSystem faulty;
        HiveRegistry hive(faulty, config);
        CreateRun run(pageFiles, hive);
        faulty.FailAt(c.step, total.at(c.step) - c.fromTheEnd);

        EXPECT_TRUE(run.Click(templatePath, pagePath, true));

        EXPECT_GE(faulty.Calls(c.step), total.at(c.step) - c.fromTheEnd) << "the fault was reached";
        EXPECT_EQ(run.boxes.Texts(), std::vector<std::string>{"File \"article0042.html\" has been created"});
        EXPECT_EQ(ScratchFolder::Read(hivePath), former);
        EXPECT_EQ(EntriesOf(config), configEntries);
        EXPECT_EQ(EntriesOf(site), (std::vector<std::string>{"article0042.html", "index.html"}));
        EXPECT_NE(ScratchFolder::Read(indexPath), kIndexPage);
    }
}
#endif

}  // namespace
}  // namespace quillora
