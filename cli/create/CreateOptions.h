#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillora {

// What the command line of quillora-create asks for.
struct CreateOptions {
    std::string title;
    std::string textFile;  // "-" for standard input
    std::optional<std::string> templatePath;
    std::optional<std::string> number;
    std::optional<std::string> output;
    bool overwrite = false;
    std::optional<bool> updateIndex;
    bool acceptTerms = false;
    bool help = false;
    bool version = false;
};

// One option of the command line, as parsing and --help both know it.
struct CreateOption {
    const char* name;       // "--title"
    const char* valueName;  // the value it takes, as --help names it; null for none
    const char* sets;       // the setting it gives; two options that give the same one exclude each other
    void (*set)(CreateOptions& options, const std::string& value);
    bool required;          // unless --help or --version is given
    const char* help;       // its description in --help; "\n" continues it on the next line
};

// Every option, in the order --help lists them.
std::span<const CreateOption> CreateOptionTable();

// Reads the arguments (without the program name). False, with a one-line reason, for an
// unknown or incomplete option, two options that give the same setting, a stray argument, or
// a missing required option.
bool ParseCreateOptions(const std::vector<std::string>& arguments, CreateOptions& options, std::string& problem);

// The text of --help.
std::string CreateUsage();

}  // namespace quillora
