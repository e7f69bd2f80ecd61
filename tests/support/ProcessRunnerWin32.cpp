#include "support/ProcessRunner.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <thread>

namespace quillora::testing {
namespace {

// One argument as the C runtime's start-up code reads it back: quoted when it is empty or holds
// a blank or a quote; a quote inside is escaped, and so are the backslashes right before a quote
// or before the closing quote.
void AppendQuoted(std::string& line, const std::string& argument) {
    if (!line.empty()) line.push_back(' ');
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += argument;
        return;
    }
    line.push_back('"');
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(2 * backslashes, '\\');
    line.push_back('"');
}

std::string NameOf(const std::string& entry) {
    std::string name = entry.substr(0, entry.find('=', 1));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// The test's own environment with the entries added or replaced, as a block of NUL-ended
// entries sorted by name and ended by one more NUL.
std::string EnvironmentBlock(const std::vector<std::string>& added) {
    std::vector<std::string> entries;
    if (char* own = GetEnvironmentStringsA()) {
        for (const char* entry = own; *entry != '\0'; entry += std::string(entry).size() + 1) entries.emplace_back(entry);
        FreeEnvironmentStringsA(own);
    }
    for (const std::string& entry : added) {
        std::erase_if(entries, [&](const std::string& old) { return NameOf(old) == NameOf(entry); });
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) { return NameOf(a) < NameOf(b); });
    std::string block;
    for (const std::string& entry : entries) block += entry + '\0';
    block.push_back('\0');
    return block;
}

void ReadAll(HANDLE from, std::string& into, std::atomic<std::size_t>& received) {
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        into.append(buffer, got);
        received += got;
    }
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& input,
                         const std::string& workingFolder) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inheritable, 0) || !CreatePipe(&outRead, &outWrite, &inheritable, 0) ||
        !CreatePipe(&errRead, &errWrite, &inheritable, 0)) {
        for (HANDLE handle : {inRead, inWrite, outRead, outWrite, errRead, errWrite})
            if (handle != nullptr) CloseHandle(handle);
        return {};
    }
    // Only the child's ends are inherited.
    for (HANDLE own : {inWrite, outRead, errRead}) SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

    std::string line;
    AppendQuoted(line, program);
    for (const std::string& argument : arguments) AppendQuoted(line, argument);
    std::string block = EnvironmentBlock(environment);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, block.data(),
                                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &process);
    for (HANDLE childs : {inRead, outWrite, errWrite}) CloseHandle(childs);
    if (!started) {
        for (HANDLE own : {inWrite, outRead, errRead}) CloseHandle(own);
        return {};
    }
    CloseHandle(process.hThread);

    ProcessResult result;
    std::atomic<std::size_t> received{0};
    std::thread feeder([&] {
        DWORD wrote = 0;
        for (std::size_t fed = 0; fed < input.size(); fed += wrote) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input.size() - fed, 65536));
            if (!WriteFile(inWrite, input.data() + fed, chunk, &wrote, nullptr) || wrote == 0) break;
        }
        CloseHandle(inWrite);
    });
    std::thread errors([&] { ReadAll(errRead, result.errors, received); });
    std::thread output([&] { ReadAll(outRead, result.output, received); });

    bool silent = false;
    for (std::size_t before = 0;;) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) break;
        if (received == before) {
            silent = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            break;
        }
        before = received;
    }
    output.join();
    errors.join();
    feeder.join();
    CloseHandle(outRead);
    CloseHandle(errRead);
    DWORD code = 0;
    if (!silent && GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace quillora::testing
