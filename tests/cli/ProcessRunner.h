#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <map>
#include <thread>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillora::testing {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string output;
    std::string errors;
};

#ifdef _WIN32

// One argument as the C runtime of the started program splits its command line again:
// quoted when it is empty or holds a blank or a quote, backslashes doubled before a quote.
inline std::string QuotedArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

// The environment of this process with the given entries added or replaced, as the block
// that CreateProcessA takes, sorted by name without regard to case.
inline std::string EnvironmentBlock(const std::vector<std::string>& extra) {
    auto upper = [](std::string name) {
        for (char& c : name) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        return name;
    };
    std::map<std::string, std::string> entries;
    auto add = [&](const std::string& entry) {
        std::size_t equals = entry.find('=', 1);  // names such as "=C:" start with one
        entries[upper(entry.substr(0, equals))] = entry;
    };
    if (char* own = GetEnvironmentStringsA()) {
        for (const char* entry = own; *entry != '\0'; entry += std::string(entry).size() + 1) add(entry);
        FreeEnvironmentStringsA(own);
    }
    for (const std::string& entry : extra) add(entry);
    std::string block;
    for (const auto& [name, entry] : entries) block += entry + '\0';
    return block + '\0';
}

// Runs a program with arguments and extra environment entries ("NAME=value"), feeding input
// to its standard input, and collects what it prints.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment, const std::string& input = "",
                                const std::string& workingFolder = "") {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE in[2], out[2], err[2];  // [0] the reading end, [1] the writing end
    if (!CreatePipe(&in[0], &in[1], &inheritable, 0) || !CreatePipe(&out[0], &out[1], &inheritable, 0) ||
        !CreatePipe(&err[0], &err[1], &inheritable, 0)) {
        return {};
    }
    // The child inherits only its own ends.
    for (HANDLE own : {in[1], out[0], err[0]}) SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = QuotedArgument(program);
    for (const std::string& argument : arguments) commandLine += " " + QuotedArgument(argument);
    std::string block = EnvironmentBlock(environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in[0];
    startup.hStdOutput = out[1];
    startup.hStdError = err[1];
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        block.data(), workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                                        &process);
    for (HANDLE childs : {in[0], out[1], err[1]}) CloseHandle(childs);

    ProcessResult result;
    auto drain = [](HANDLE from, std::string& into) {
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0) into.append(buffer, got);
    };
    std::thread feeder([&] {
        DWORD wrote = 0;
        for (std::size_t fed = 0; started && fed < input.size(); fed += wrote) {
            if (!WriteFile(in[1], input.data() + fed, static_cast<DWORD>(input.size() - fed), &wrote, nullptr)) break;
        }
        CloseHandle(in[1]);
    });
    std::thread errors([&] { drain(err[0], result.errors); });
    drain(out[0], result.output);
    errors.join();
    feeder.join();
    CloseHandle(out[0]);
    CloseHandle(err[0]);
    if (!started) return result;

    DWORD status = 0;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &status)) {
        result.status = static_cast<int>(status);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

#else

// Runs a program with arguments and extra environment entries ("NAME=value"), feeding input
// to its standard input, and collects what it prints.
inline ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment, const std::string& input = "",
                                const std::string& workingFolder = "") {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(127);
        for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    fcntl(in[1], F_SETFL, O_NONBLOCK);

    ProcessResult result;
    std::size_t fed = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(fds, 3, 30000) <= 0) break;
        char buffer[65536];
        for (int k = 0; k < 2; ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP))) continue;
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
    if (in[1] >= 0) close(in[1]);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

#endif

}  // namespace quillora::testing
