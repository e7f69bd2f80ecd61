#include "cli/create/CreateOptions.h"

#include <algorithm>
#include <set>

namespace quillora {
namespace {

const CreateOption kOptions[] = {
    {"--title", "TEXT", "title", [](CreateOptions& o, const std::string& v) { o.title = v; }, true,
     "the article's title"},
    {"--text-file", "FILE", "text", [](CreateOptions& o, const std::string& v) { o.textFile = v; }, true,
     "the article's text; - reads standard input. Line feeds\n"
     "become CR LF line breaks, as in the window's text field"},
    {"--template", "FILE", "template", [](CreateOptions& o, const std::string& v) { o.templatePath = v; }, false,
     "the template page (default: the template last used)"},
    {"--number", "N", "number", [](CreateOptions& o, const std::string& v) { o.number = v; }, false,
     "the article number (default: the last number used + 1)"},
    {"--output", "PATH", "output", [](CreateOptions& o, const std::string& v) { o.output = v; }, false,
     "where to save the page (default: articleNNNN plus the\n"
     "template's extension, in the folder last saved to;\n"
     "needed while no page was saved yet)"},
    {"--overwrite", nullptr, "overwrite", [](CreateOptions& o, const std::string&) { o.overwrite = true; }, false,
     "replace PATH if it exists (default: refuse)"},
    {"--index", nullptr, "index", [](CreateOptions& o, const std::string&) { o.updateIndex = true; }, false,
     "add a link to the index page beside the new page"},
    {"--no-index", nullptr, "index", [](CreateOptions& o, const std::string&) { o.updateIndex = false; }, false,
     "do not touch the index page\n"
     "(default for both: as the window's check box was left)"},
    {"--accept-terms", nullptr, "terms", [](CreateOptions& o, const std::string&) { o.acceptTerms = true; }, false,
     "accept the terms of use, as Yes in the window does"},
    {"--help", nullptr, "help", [](CreateOptions& o, const std::string&) { o.help = true; }, false, "show this text"},
    {"--version", nullptr, "version", [](CreateOptions& o, const std::string&) { o.version = true; }, false,
     "show the version"},
};

const CreateOption* Find(const std::string& name) {
    for (const CreateOption& option : kOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

// "--title" or "--title TEXT", as --help shows an option.
std::string Synopsis(const CreateOption& option) {
    return option.valueName == nullptr ? option.name : std::string(option.name) + " " + option.valueName;
}

// "--index and --no-index given more than once", naming every option that gives the setting.
std::string GivenTwice(const char* setting) {
    std::string names;
    for (const CreateOption& option : kOptions) {
        if (std::string(option.sets) != setting) continue;
        names += (names.empty() ? "" : " and ") + std::string(option.name);
    }
    return names + " given more than once";
}

}  // namespace

std::span<const CreateOption> CreateOptionTable() { return kOptions; }

std::string CreateUsage() {
    std::string usage = "Usage: quillora-create";
    for (const CreateOption& option : kOptions) {
        if (option.required) usage += " " + Synopsis(option);
    }
    usage +=
        " [options]\n"
        "\n"
        "Creates one article page from your template, exactly as the Create button of\n"
        "Quillora does, with the same settings and the same running article number.\n"
        "\n";
    std::size_t column = 0;
    for (const CreateOption& option : kOptions) column = std::max(column, Synopsis(option).size());
    column += 2 + 3;
    for (const CreateOption& option : kOptions) {
        std::string line = "  " + Synopsis(option);
        for (const char* part = option.help; *part != '\0';) {
            line.resize(column, ' ');
            const char* end = part;
            while (*end != '\0' && *end != '\n') ++end;
            usage += line + std::string(part, end) + "\n";
            line.clear();
            part = *end == '\n' ? end + 1 : end;
        }
    }
    usage +=
        "\n"
        "Messages go to standard error. Exit status:\n"
        "  0  the page was created, and its link added when asked\n"
        "  1  the page was not created\n"
        "  2  the command line is wrong, the terms of use are not accepted, or no\n"
        "     folder to save in is known yet (give --output)\n"
        "  3  the page was written, but the index page was not updated\n"
        "\n"
        "The terms of use are those of the Quillora window: accepted in either, they\n"
        "hold for both. Standard input is read only for --text-file -.\n";
    return usage;
}

bool ParseCreateOptions(const std::vector<std::string>& arguments, CreateOptions& options, std::string& problem) {
    std::set<std::string> given;  // settings given so far
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const CreateOption* option = Find(argument);
        if (option == nullptr) {
            problem = argument.rfind("-", 0) == 0 && argument != "-" ? "unknown option " + argument
                                                                      : "unexpected argument " + argument;
            return false;
        }
        if (!given.insert(option->sets).second) {
            problem = GivenTwice(option->sets);
            return false;
        }
        std::string value;
        if (option->valueName != nullptr) {
            if (i + 1 >= arguments.size()) {
                problem = argument + " needs a value";
                return false;
            }
            value = arguments[++i];
        }
        option->set(options, value);
    }
    if (options.help || options.version) return true;
    for (const CreateOption& option : kOptions) {
        if (option.required && given.count(option.sets) == 0) {
            problem = std::string(option.name) + " is missing";
            return false;
        }
    }
    return true;
}

}  // namespace quillora
