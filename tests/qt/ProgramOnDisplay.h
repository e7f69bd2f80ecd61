#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli/ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora::testing {

// The built program on the test's X display, as a user starts it from a desktop: its settings,
// caches and temporary files under `home`, where the terms of use were accepted before. Keys
// reach its window through xdotool, as typed on a keyboard.
class ProgramOnDisplay {
public:
    ProgramOnDisplay(const ScratchFolder& home, const std::vector<std::string>& arguments,
                     const std::vector<std::string>& extraEnvironment = {})
        : home_(home.Path()) {
        std::filesystem::create_directories(home_ / "config/quillora");
        std::filesystem::create_directories(home_ / "run");
        std::filesystem::permissions(home_ / "run", std::filesystem::perms::owner_all);
        const std::string settings = (home_ / "config/quillora/registry.reg").string();
        if (!std::filesystem::exists(settings)) {
            ScratchFolder::Write(settings,
                                 "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tessaline\\Quillora\\LU]\n"
                                 "\"Terms\"=dword:00000001\n");
        }
        std::vector<std::string> environment = {
            "QT_QPA_PLATFORM=xcb",
            "HOME=" + home_.string(),
            "XDG_CONFIG_HOME=" + (home_ / "config").string(),
            "XDG_RUNTIME_DIR=" + (home_ / "run").string(),
            "XDG_CACHE_HOME=" + (home_ / ".cache").string(),
            "XDG_DATA_HOME=" + (home_ / ".local/share").string(),
            "XDG_STATE_HOME=" + (home_ / ".local/state").string(),
            "LSAN_OPTIONS=suppressions=" QUILLORA_TESTS_QT_DIR "/desktop-libraries.supp",
        };
        environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
        const std::string output = Output(), errors = Errors();

        pid_ = fork();
        if (pid_ == 0) {
            int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (out < 0 || err < 0) _exit(127);
            dup2(out, 1);
            dup2(err, 2);
            for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
            std::vector<char*> argv{const_cast<char*>(QUILLORA_PROGRAM_FILE)};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            execv(QUILLORA_PROGRAM_FILE, argv.data());
            _exit(127);
        }
    }
    ~ProgramOnDisplay() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    ProgramOnDisplay(const ProgramOnDisplay&) = delete;
    ProgramOnDisplay& operator=(const ProgramOnDisplay&) = delete;

    // Waits until the program's window is shown; false when none was within 30 seconds.
    bool WaitForWindow() {
        window_ = FindWindow("^Quillora$");
        return !window_.empty();
    }
    // Waits until a window of the program with that name (a regular expression) is shown and
    // has the keyboard.
    bool WaitForWindowNamed(const std::string& name) {
        const std::string window = FindWindow(name);
        if (window.empty()) return false;
        for (int i = 0; i < 100 && RunProcess("/usr/bin/xdotool", {"getwindowfocus"}, {}).output != window + "\n"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Settle();
        return true;
    }
    // Waits until no window of the program has that name any more; false after 30 seconds.
    bool WaitUntilClosed(const std::string& name) {
        for (int i = 0; i < 300; ++i) {
            ProcessResult found = RunProcess("/usr/bin/xdotool", {"search", "--all", "--onlyvisible", "--pid", std::to_string(pid_), "--name", name}, {});
            if (found.output.empty()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    // Gives the main window the keyboard and presses the keys there, named as xdotool names
    // them ("Tab", "Return", "ctrl+v").
    void Keys(const std::vector<std::string>& keys) {
        RunProcess("/usr/bin/xdotool", {"windowfocus", "--sync", window_}, {});
        Press(keys);
    }
    // Presses the keys wherever the keyboard is (a file dialog that has just opened, say).
    void Press(const std::vector<std::string>& keys) {
        std::vector<std::string> arguments{"key", "--delay", "60"};
        arguments.insert(arguments.end(), keys.begin(), keys.end());
        RunProcess("/usr/bin/xdotool", arguments, {});
        Settle();
    }
    // Types a text wherever the keyboard is.
    void Type(const std::string& text) {
        RunProcess("/usr/bin/xdotool", {"type", "--delay", "20", text}, {});
        Settle();
    }

    bool Running() {
        Poll();
        return !ended_;
    }

    // The exit status once the program has ended, within 30 seconds; -1 when it did not end in
    // time, or ended through a signal (a crash: see Signal).
    int WaitForExit() {
        for (int i = 0; i < 3000 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return status_;
    }
    int Signal() const { return signal_; }

    // What the program printed on standard output and standard error.
    std::string Output() const { return logs_ / "program.out"; }
    std::string Errors() const { return logs_ / "program.err"; }

private:
    std::string FindWindow(const std::string& name) {
        ProcessResult found = RunProcess("/usr/bin/timeout", {"30", "xdotool", "search", "--sync", "--all", "--onlyvisible", "--pid",
                                                              std::to_string(pid_), "--name", name},
                                         {});
        return found.status == 0 ? found.output.substr(0, found.output.find('\n')) : std::string();
    }
    static void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

    void Poll() {
        int status = 0;
        if (ended_ || waitpid(pid_, &status, WNOHANG) != pid_) return;
        ended_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

    ScratchFolder logs_;
    std::filesystem::path home_;
    pid_t pid_ = -1;
    std::string window_;
    bool ended_ = false;
    int status_ = -1;
    int signal_ = 0;
};

}  // namespace quillora::testing
