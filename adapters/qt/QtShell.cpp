#include "adapters/qt/QtShell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

extern char** environ;

namespace quillora {
namespace {

constexpr int kNoProgramFound = 3;  // xdg-open's status when no program can open the file

}  // namespace

QtShell::~QtShell() { ReapFinished(); }

int QtShell::ResultOfExit(int status) {
    if (status == 0) return kAccepted;
    return status == kNoProgramFound ? kNoProgram : kOpenFailed;
}

int QtShell::OpenWithDefaultProgram(const std::string& path) {
    ReapFinished();
    char program[] = "xdg-open";
    std::string file = path;
    char* argv[] = {program, file.data(), nullptr};
    // xdg-open, and the browser it may start, get none of the program's open files.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return kNoProgram;

    const auto deadline = std::chrono::steady_clock::now() + patience_;
    for (;;) {
        int status = 0;
        pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) return WIFEXITED(status) ? ResultOfExit(WEXITSTATUS(status)) : kOpenFailed;
        if (ended < 0) return kOpenFailed;
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stillRunning_.push_back(child);
    return kAccepted;
}

// Collects the exit of every xdg-open that ended after its patience ran out, so that none stays
// behind as a zombie; those still running go on.
void QtShell::ReapFinished() {
    std::erase_if(stillRunning_, [](pid_t child) {
        int status = 0;
        return waitpid(child, &status, WNOHANG) != 0;
    });
}

}  // namespace quillora
