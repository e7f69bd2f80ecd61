#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace quillora {

// Opens files with the desktop's default program through xdg-open, and learns whether that
// worked from its exit status: 0 accepted; 3 (no program for the file) or a missing xdg-open is
// kNoProgram; any other status, or a signal, is kOpenFailed.
//
// xdg-open hands the file on and ends at once on the common desktops. Where it starts the
// browser itself and waits for it (a desktop it does not know, a browser that was not running),
// it ends only with the browser: after `patience` the file counts as accepted and xdg-open runs
// on undisturbed. A browser that cannot start fails well within that time.
class QtShell : public Shell {
public:
    static constexpr int kOpenFailed = 0;
    static constexpr std::chrono::milliseconds kDefaultPatience{3000};

    explicit QtShell(std::chrono::milliseconds patience = kDefaultPatience) : patience_(patience) {}
    ~QtShell() override;
    QtShell(const QtShell&) = delete;
    QtShell& operator=(const QtShell&) = delete;

    int OpenWithDefaultProgram(const std::string& path) override;

    // The result for an exit status of xdg-open.
    static int ResultOfExit(int status);

private:
    void ReapFinished();

    std::chrono::milliseconds patience_;
    std::vector<pid_t> stillRunning_;  // xdg-open processes that outlasted the patience
};

}  // namespace quillora
