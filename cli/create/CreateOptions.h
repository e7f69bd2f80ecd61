#pragma once

#include <optional>
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
    bool help = false;
    bool version = false;
};

// Reads the arguments (without the program name). False, with a one-line reason, for an
// unknown, repeated or incomplete option, a stray argument, or a missing --title or --text-file.
bool ParseCreateOptions(const std::vector<std::string>& arguments, CreateOptions& options, std::string& problem);

// The text of --help.
const char* CreateUsage();

}  // namespace quillora
