#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillora {

enum class BrandAction { Show, Set, Reset };

// What the command line of quillora-brand asks for.
struct BrandOptions {
    BrandAction action = BrandAction::Show;
    std::string program;
    std::optional<std::string> name;
    std::optional<std::string> address;
    std::optional<std::string> title;
    std::optional<std::string> output;
    bool inPlace = false;
    bool overwrite = false;
    std::optional<int> codePage;
    bool help = false;
    bool version = false;
};

// The Windows code page that quillora-brand stores texts in, and the only one it takes.
inline constexpr int kWindowsCodePage = 1252;

// Reads the arguments (without the program name): the command, PROGRAM and the options in any
// order after it. False, with a one-line reason, for an unknown command or option, a repeated
// or incomplete one, one that the command does not take, a missing one, a stray argument or a
// code page other than 1252.
bool ParseBrandOptions(const std::vector<std::string>& arguments, BrandOptions& options, std::string& problem);

// The text of --help.
const char* BrandUsage();

}  // namespace quillora
