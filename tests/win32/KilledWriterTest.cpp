// A writer process killed with TerminateProcess at random moments (a fixed seed): after every
// kill the file it was replacing holds exactly its former or its new content, whole, and
// nothing partial lies beside it under any name.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>

#include "fakes/ScratchFolder.h"
#include "win32/PageVersion.h"

namespace quillora {
namespace {

using testing::PageVersion;
using testing::ScratchFolder;

constexpr int kRounds = 40;
constexpr int kLongestDelayMilliseconds = 30;  // a few whole writes

struct Outcome {
    std::int64_t done = 0;     // the last version the child finished writing
    bool startedNext = false;  // it had begun the next one when it died
    bool failed = false;       // a write reported failure
    bool killed = false;       // it died of the kill and of nothing else
};

// Starts the writing child on path from version from, kills it delay after it reported that
// it is ready, and reads what it reported until then.
Outcome WriteAndKill(const std::string& path, std::int64_t from, DWORD delay) {
    Outcome outcome;
    outcome.done = from;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reader = nullptr, writer = nullptr;
    if (!CreatePipe(&reader, &writer, &inheritable, 1 << 20)) return outcome;
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    std::string commandLine = std::string("win32_test_child write \"") + path + "\" " + std::to_string(from);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child{};
    const BOOL started = CreateProcessA(QUILLORA_TEST_CHILD, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &child);
    CloseHandle(writer);
    if (!started) {
        CloseHandle(reader);
        return outcome;
    }

    std::string received(testing::kReportSize, '\0');
    DWORD got = 0;
    const bool ready = ReadFile(reader, received.data(), static_cast<DWORD>(received.size()), &got, nullptr) &&
                       got == received.size() && received[0] == 'R';
    if (ready) Sleep(delay);
    TerminateProcess(child.hProcess, 99);
    WaitForSingleObject(child.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(child.hProcess, &status);
    outcome.killed = ready && status == 99;
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    received.clear();
    char chunk[4096];
    while (ReadFile(reader, chunk, sizeof chunk, &got, nullptr) && got > 0) received.append(chunk, got);
    CloseHandle(reader);
    for (std::size_t at = 0; at + testing::kReportSize <= received.size(); at += testing::kReportSize) {
        std::int64_t n = 0;
        for (std::size_t i = 0; i < 8; ++i) n |= static_cast<std::int64_t>(static_cast<unsigned char>(received[at + 1 + i])) << (8 * i);
        switch (received[at]) {
        case 'S': outcome.startedNext = true; break;
        case 'D': outcome.done = n; outcome.startedNext = false; break;
        default: outcome.failed = true; break;
        }
    }
    return outcome;
}

TEST(KilledWriter, TheFileIsAlwaysOneWholeVersionAndNothingPartialIsLeftBeside) {
    ScratchFolder folder;
    const std::string path = folder / "page.html";
    ScratchFolder::Write(path, PageVersion(0));
    std::mt19937 random(20261211);
    int midWrite = 0, leftovers = 0;
    std::int64_t version = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const auto delay = static_cast<DWORD>(std::uniform_int_distribution<int>(0, kLongestDelayMilliseconds)(random));
        const Outcome outcome = WriteAndKill(path, version, delay);
        ASSERT_TRUE(outcome.killed) << "the child did not start or died of something else";
        ASSERT_FALSE(outcome.failed) << "a write failed in the child";
        const std::string actual = ScratchFolder::Read(path);
        if (outcome.startedNext) ++midWrite;
        if (actual == PageVersion(outcome.done)) {
            version = outcome.done;
        } else {
            ASSERT_TRUE(outcome.startedNext && actual == PageVersion(outcome.done + 1))
                << "after version " << outcome.done << " the file holds " << actual.size()
                << " bytes that are neither its former nor its new content";
            version = outcome.done + 1;
        }
        // A new file that was complete but not yet renamed may stay; a partial one never does.
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            if (entry.path().filename() == "page.html") continue;
            EXPECT_EQ(ScratchFolder::Read(entry.path().string()), PageVersion(version + 1)) << entry.path().filename().string();
            std::filesystem::remove(entry.path());
            ++leftovers;
        }
    }
    std::cout << kRounds << " kills, " << midWrite << " during a write, up to version " << version << "; " << leftovers
              << " complete new files left beside the page\n";
    EXPECT_GT(version, 0) << "no write ever finished before its kill";
}

}  // namespace
}  // namespace quillora
