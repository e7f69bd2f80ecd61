#include "cli/brand/BrandOptions.h"

#include <set>

namespace quillora {

const char* BrandUsage() {
    return "Usage: quillora-brand show PROGRAM [--code-page N]\n"
           "       quillora-brand set PROGRAM --name TEXT --address URL [--title TEXT]\n"
           "                      (--output COPY [--overwrite] | --in-place) [--code-page N]\n"
           "       quillora-brand reset PROGRAM (--output COPY [--overwrite] | --in-place)\n"
           "\n"
           "Shows or changes the branding that a copy of Quillora carries: the reseller's\n"
           "name and web address, shown on its help page and opened by its banner, and\n"
           "the title of its window. PROGRAM is the Linux program (quillora) or the\n"
           "Windows program (quillora.exe); it is changed only with --in-place.\n"
           "\n"
           "  show               print whether PROGRAM is branded, and its three texts\n"
           "  set                write a copy branded with the texts below\n"
           "  reset              write an unbranded copy, as the program was built\n"
           "\n"
           "  --name TEXT        the reseller's name (at most 99 bytes)\n"
           "  --address URL      the reseller's web address, beginning with http:// or\n"
           "                     https:// (at most 795 bytes)\n"
           "  --title TEXT       the window title (at most 59 bytes; default: none, and\n"
           "                     the window keeps the title Quillora)\n"
           "  --output COPY      where to write the copy; PROGRAM's permissions are kept\n"
           "  --overwrite        replace COPY if it exists (default: refuse)\n"
           "  --in-place         change PROGRAM itself instead of writing a copy\n"
           "  --code-page N      the code page of a Windows program's texts; only 1252\n"
           "                     (Western European, the default) is supported\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Texts are given in UTF-8. A Linux program stores them in UTF-8, a Windows\n"
           "program in its code page, and a character that the code page cannot hold is\n"
           "refused. The limits count the stored bytes. A text is never cut: one that\n"
           "is too long, or holds a control character, is refused.\n"
           "\n"
           "Messages go to standard error. Exit status: 0 when done, 1 when refused or\n"
           "failed (then nothing was written), 2 when the command line is wrong.\n";
}

namespace {

bool TakesValue(const std::string& argument) {
    return argument == "--name" || argument == "--address" || argument == "--title" || argument == "--output" ||
           argument == "--code-page";
}

bool IsFlag(const std::string& argument) {
    return argument == "--in-place" || argument == "--overwrite" || argument == "--help" || argument == "--version";
}

// The options that a command takes besides --help and --version.
bool Takes(BrandAction action, const std::string& option) {
    if (option == "--code-page") return action != BrandAction::Reset;
    if (option == "--name" || option == "--address" || option == "--title") return action == BrandAction::Set;
    return action != BrandAction::Show;  // --output, --overwrite, --in-place
}

const char* CommandName(BrandAction action) {
    switch (action) {
    case BrandAction::Show: return "show";
    case BrandAction::Set: return "set";
    case BrandAction::Reset: return "reset";
    }
    return "";
}

bool ParseCodePage(const std::string& value, int& codePage, std::string& problem) {
    if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos) {
        problem = "--code-page takes the number of a code page, such as 1252";
        return false;
    }
    codePage = std::stoi(value);
    if (codePage != kWindowsCodePage) {
        problem = "code page " + value + " is not supported: texts are stored in code page 1252 (Western European) only";
        return false;
    }
    return true;
}

}  // namespace

bool ParseBrandOptions(const std::vector<std::string>& arguments, BrandOptions& options, std::string& problem) {
    std::set<std::string> seen;
    std::vector<std::string> words;  // the command and PROGRAM
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument[0] != '-') {
            words.push_back(argument);
            continue;
        }
        if (!TakesValue(argument) && !IsFlag(argument)) {
            problem = "unknown option " + argument;
            return false;
        }
        if (!seen.insert(argument).second) {
            problem = argument + " given more than once";
            return false;
        }
        if (argument == "--in-place") options.inPlace = true;
        if (argument == "--overwrite") options.overwrite = true;
        if (argument == "--help") options.help = true;
        if (argument == "--version") options.version = true;
        if (IsFlag(argument)) continue;
        if (i + 1 >= arguments.size()) {
            problem = argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--name") options.name = value;
        if (argument == "--address") options.address = value;
        if (argument == "--title") options.title = value;
        if (argument == "--output") options.output = value;
        if (argument == "--code-page") {
            int codePage = 0;
            if (!ParseCodePage(value, codePage, problem)) return false;
            options.codePage = codePage;
        }
    }
    if (options.help || options.version) return true;

    if (words.empty()) {
        problem = "no command: give show, set or reset";
        return false;
    }
    if (words[0] == "show") {
        options.action = BrandAction::Show;
    } else if (words[0] == "set") {
        options.action = BrandAction::Set;
    } else if (words[0] == "reset") {
        options.action = BrandAction::Reset;
    } else {
        problem = "unknown command " + words[0] + ": give show, set or reset";
        return false;
    }
    if (words.size() < 2) {
        problem = std::string(CommandName(options.action)) + " needs PROGRAM, the program file";
        return false;
    }
    if (words.size() > 2) {
        problem = "unexpected argument " + words[2];
        return false;
    }
    options.program = words[1];

    for (const std::string& option : seen) {
        if (option == "--help" || option == "--version" || Takes(options.action, option)) continue;
        problem = std::string(CommandName(options.action)) + " takes no " + option;
        return false;
    }
    if (options.action == BrandAction::Set && (!options.name || !options.address)) {
        problem = !options.name ? "--name is missing" : "--address is missing";
        return false;
    }
    if (options.action != BrandAction::Show) {
        if (options.output && options.inPlace) {
            problem = "--output and --in-place exclude each other";
            return false;
        }
        if (!options.output && !options.inPlace) {
            problem = "--output COPY or --in-place is missing";
            return false;
        }
        if (options.overwrite && options.inPlace) {
            problem = "--overwrite goes with --output only";
            return false;
        }
    }
    return true;
}

}  // namespace quillora
