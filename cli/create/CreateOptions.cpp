#include "cli/create/CreateOptions.h"

#include <set>

namespace quillora {

const char* CreateUsage() {
    return "Usage: quillora-create --title TEXT --text-file FILE [options]\n"
           "\n"
           "Creates one article page from your template, exactly as the Create button of\n"
           "Quillora does, with the same settings and the same running article number.\n"
           "\n"
           "  --title TEXT       the article's title\n"
           "  --text-file FILE   the article's text; - reads standard input. Line feeds\n"
           "                     become CR LF line breaks, as in the window's text field\n"
           "  --template FILE    the template page (default: the template last used)\n"
           "  --number N         the article number (default: the last number used + 1)\n"
           "  --output PATH      where to save the page (default: articleNNNN plus the\n"
           "                     template's extension, in the folder last saved to)\n"
           "  --overwrite        replace PATH if it exists (default: refuse)\n"
           "  --index            add a link to the index page beside the new page\n"
           "  --no-index         do not touch the index page\n"
           "                     (default for both: as the window's check box was left)\n"
           "  --help             show this text\n"
           "  --version          show the version\n"
           "\n"
           "Messages go to standard error. Exit status: 0 when the page was created,\n"
           "1 when it was not, 2 when the command line is wrong.\n"
           "\n"
           "The terms of use are those you accepted in the Quillora window; this command\n"
           "never asks for them, and it never reads standard input unless --text-file -.\n";
}

bool ParseCreateOptions(const std::vector<std::string>& arguments, CreateOptions& options, std::string& problem) {
    std::set<std::string> seen;
    bool hasTitle = false;
    bool hasText = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool takesValue = argument == "--title" || argument == "--text-file" || argument == "--template" ||
                                argument == "--number" || argument == "--output";
        const bool isFlag = argument == "--overwrite" || argument == "--index" || argument == "--no-index" ||
                            argument == "--help" || argument == "--version";
        if (!takesValue && !isFlag) {
            problem = argument.rfind("-", 0) == 0 && argument != "-" ? "unknown option " + argument
                                                                      : "unexpected argument " + argument;
            return false;
        }
        const std::string key = (argument == "--no-index") ? "--index" : argument;
        if (!seen.insert(key).second) {
            problem = key == "--index" ? "--index and --no-index given more than once" : argument + " given more than once";
            return false;
        }
        if (isFlag) {
            if (argument == "--overwrite") options.overwrite = true;
            if (argument == "--index") options.updateIndex = true;
            if (argument == "--no-index") options.updateIndex = false;
            if (argument == "--help") options.help = true;
            if (argument == "--version") options.version = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            problem = argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (argument == "--title") {
            options.title = value;
            hasTitle = true;
        } else if (argument == "--text-file") {
            options.textFile = value;
            hasText = true;
        } else if (argument == "--template") {
            options.templatePath = value;
        } else if (argument == "--number") {
            options.number = value;
        } else {
            options.output = value;
        }
    }
    if (options.help || options.version) return true;
    if (!hasTitle || !hasText) {
        problem = !hasTitle ? "--title is missing" : "--text-file is missing";
        return false;
    }
    return true;
}

}  // namespace quillora
