#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillora::testing {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& input,
                         const std::string& workingFolder) {
    // started: the child writes one byte into it when it cannot run the program; a successful
    // exec closes it (O_CLOEXEC) with nothing written.
    int in[2], out[2], err[2], started[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0 || pipe2(started, O_CLOEXEC) != 0) return {};
    // Everything the child needs is made before the fork.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1], started[0]}) close(fd);
        for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
        if (workingFolder.empty() || chdir(workingFolder.c_str()) == 0) execv(program.c_str(), argv.data());
        const char failed = 1;
        if (write(started[1], &failed, 1) != 1) _exit(126);
        _exit(127);
    }
    for (int fd : {in[0], out[1], err[1], started[1]}) close(fd);
    char failed = 0;
    const bool notStarted = child < 0 || read(started[0], &failed, 1) == 1;
    close(started[0]);
    if (notStarted) {
        for (int fd : {in[1], out[0], err[0]}) close(fd);
        if (child > 0) waitpid(child, nullptr, 0);
        return {};
    }
    fcntl(in[1], F_SETFL, O_NONBLOCK);

    ProcessResult result;
    std::size_t fed = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    bool outOpen = true, errOpen = true, silent = false;
    while (outOpen || errOpen) {
        pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(fds, 3, 60000) <= 0) {
            silent = true;
            break;
        }
        char buffer[65536];
        for (int k = 0; k < 2; ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t got = read(fds[k].fd, buffer, sizeof buffer);
            if (got > 0) {
                (k == 0 ? result.output : result.errors).append(buffer, static_cast<std::size_t>(got));
            } else {
                (k == 0 ? outOpen : errOpen) = false;
            }
        }
        if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t wrote = write(in[1], input.data() + fed, input.size() - fed);
            if (wrote > 0) fed += static_cast<std::size_t>(wrote);
            if (wrote < 0 || fed == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    if (silent) kill(child, SIGKILL);
    if (in[1] >= 0) close(in[1]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) && !silent ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace quillora::testing
