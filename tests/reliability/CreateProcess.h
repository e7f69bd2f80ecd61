#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fakes/ScratchFolder.h"

namespace quillora::testing {

// One run of the built quillora-create, as a user starts it: in a working folder, with an
// environment of its own, standard input from a file, perhaps as another user (through setpriv)
// and under a limit on its address space. Several can be started before any is waited for.
class CreateProcess {
public:
    struct Options {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;  // the whole environment, "NAME=value"
        std::string workingFolder;
        std::string inputFile = "/dev/null";
        std::optional<unsigned> user;          // uid and gid 65534 and the like; none: as the test
        std::vector<unsigned> groups;          // the user's supplementary groups
        std::uint64_t addressSpaceLimit = 0;   // bytes; 0: none
    };
    struct Result {
        int status = -1;  // the exit status, or -1 when it did not exit by itself
        std::string errors;
    };

    CreateProcess(std::string program, std::string errorsFile) : program_(std::move(program)), errorsFile_(std::move(errorsFile)) {}

    bool Start(const Options& options) {
        std::vector<std::string> command;
        if (options.user) {
            command = {"/usr/bin/setpriv", "--reuid=" + std::to_string(*options.user), "--regid=" + std::to_string(*options.user)};
            if (options.groups.empty()) {
                command.push_back("--clear-groups");
            } else {
                std::string groups;
                for (unsigned group : options.groups) groups += (groups.empty() ? "--groups=" : ",") + std::to_string(group);
                command.push_back(groups);
            }
            command.push_back("--");
        }
        command.push_back(program_);
        command.insert(command.end(), options.arguments.begin(), options.arguments.end());
        std::vector<char*> argv;
        for (std::string& part : command) argv.push_back(part.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment = options.environment;
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);

        child_ = ::fork();
        if (child_ != 0) return child_ > 0;
        const int in = ::open(options.inputFile.c_str(), O_RDONLY);
        const int err = ::open(errorsFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(err, 2) < 0 || ::dup2(err, 1) < 0) ::_exit(125);
        if (!options.workingFolder.empty() && ::chdir(options.workingFolder.c_str()) != 0) ::_exit(125);
        if (options.addressSpaceLimit != 0) {
            const rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
            if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(125);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(126);
    }

    Result Finish() {
        Result result;
        int status = 0;
        pid_t waited;
        do {
            waited = ::waitpid(child_, &status, 0);
        } while (waited < 0 && errno == EINTR);
        if (waited == child_ && WIFEXITED(status)) result.status = WEXITSTATUS(status);
        result.errors = ScratchFolder::Read(errorsFile_);
        return result;
    }

    static Result Run(const std::string& program, const std::string& errorsFile, const Options& options) {
        CreateProcess process(program, errorsFile);
        if (!process.Start(options)) return {};
        return process.Finish();
    }

private:
    std::string program_;
    std::string errorsFile_;
    pid_t child_ = -1;
};

}  // namespace quillora::testing
