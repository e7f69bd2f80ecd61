#pragma once

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillora::testing {

// Runs numbered steps in a child process and kills it with SIGKILL after a given delay. Before
// each step the child tells the parent, through a pipe, which step it starts, and after it
// which step it finished, so the parent knows exactly which states a file may be in.
class KillLoop {
public:
    struct Report {
        std::int64_t done = 0;     // the last step the child finished (from when it finished none)
        bool startedNext = false;  // step done + 1 had begun when the child died
        bool failed = false;       // a step reported failure
        bool killed = false;       // the child died of the SIGKILL and of nothing else
    };

    // Steps from + 1, from + 2, ... each run by step(n), which returns false on failure.
    static Report RunAndKill(const std::function<bool(std::int64_t)>& step, std::int64_t from,
                             std::chrono::microseconds delay) {
        Report report;
        report.done = from;
        int channel[2];
        if (::pipe(channel) != 0) return report;
        ::fcntl(channel[1], F_SETPIPE_SZ, 1 << 20);
        const pid_t child = ::fork();
        if (child < 0) {
            ::close(channel[0]);
            ::close(channel[1]);
            return report;
        }
        if (child == 0) {
            ::close(channel[0]);
            for (std::int64_t n = from + 1; n <= from + kMostSteps; ++n) {
                Send(channel[1], 'S', n);
                if (!step(n)) {
                    Send(channel[1], 'F', n);
                    ::_exit(3);
                }
                Send(channel[1], 'D', n);
            }
            ::_exit(0);
        }
        ::close(channel[1]);

        // The parent sleeps through the delay without reading, so that no record the child sends
        // wakes it up and the kill falls at a moment of the child's own; the pipe holds far more
        // records than a child sends in that time.
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        std::string received;
        while (Receive(channel[0], received)) {
        }
        ::close(channel[0]);

        report.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        for (std::size_t at = 0; at + kRecord <= received.size(); at += kRecord) {
            std::int64_t n = 0;
            for (std::size_t i = 0; i < 8; ++i) n |= static_cast<std::int64_t>(static_cast<unsigned char>(received[at + 1 + i])) << (8 * i);
            switch (received[at]) {
            case 'S': report.startedNext = true; break;
            case 'D': report.done = n; report.startedNext = false; break;
            default: report.failed = true; break;
            }
        }
        return report;
    }

private:
    static constexpr std::int64_t kMostSteps = 1'000'000;
    static constexpr std::size_t kRecord = 9;  // a letter and a step number, least significant byte first

    static void Send(int fd, char kind, std::int64_t n) {
        char record[kRecord];
        record[0] = kind;
        for (std::size_t i = 0; i < 8; ++i) record[1 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
        // Shorter than PIPE_BUF, so the record arrives whole or not at all.
        while (::write(fd, record, kRecord) < 0 && errno == EINTR) {
        }
    }

    // Appends what is there; false at the end of the pipe.
    static bool Receive(int fd, std::string& received) {
        char chunk[4096];
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0) return false;
        received.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
};

}  // namespace quillora::testing
