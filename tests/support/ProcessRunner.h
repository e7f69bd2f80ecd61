#pragma once

#include <string>
#include <vector>

namespace quillora::testing {

struct ProcessResult {
    int status = -1;  // exit status, or -1 when the program could not start or did not exit normally
    std::string output;
    std::string errors;
};

// Runs a program with its arguments, each of which reaches the program exactly as it is given
// here: no shell takes part, so nothing is quoted, split or expanded. The environment entries
// ("NAME=value") are added to the test's own environment; input is fed to the program's
// standard input, which is then closed; an empty working folder means the test's own. Waits
// for the program to end and collects what it printed. A program that prints nothing for 60
// seconds is killed.
//
// ProcessRunnerPosix.cpp does this with fork and execv; a Windows build gives the same with
// CreateProcessA, quoting each argument on the command line by the rules that the C runtime's
// start-up code undoes, so that the program's argv is again exactly these arguments.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {}, const std::string& input = "",
                         const std::string& workingFolder = "");

}  // namespace quillora::testing
