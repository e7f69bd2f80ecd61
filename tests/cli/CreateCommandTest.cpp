// Runs the built quillora-create on real files, with settings of its own: a scratch folder on
// Linux, the user's registry key set aside on Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "CommandSettings.h"
#include "ProcessRunner.h"
#include "cli/create/CreateOptions.h"
#include "fakes/PlatformPath.h"
#include "fakes/ScratchFolder.h"
#include "storage/SettingsStore.h"
#include "ui/ArticleApp.h"

namespace quillora {
namespace {

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";
const char kNoFolderMessage[] =
    "quillora-create: no page was saved yet, so there is no folder to save in: give the\n"
    "new page's path with --output, beside the index page; later runs save in that folder.\n";
const std::string kTermsRefusal = std::string("quillora-create: the terms of use have not been accepted yet:\n\n") +
                                  kTermsDisclaimer +
                                  "\n\nTo accept these terms of use, run quillora-create again with --accept-terms, "
                                  "or answer\nYes in the Quillora window; they are then accepted for both.\n";

// A site folder with a template, an index page and an article text, and settings of its own,
// for one or more runs of the command.
class Scene {
public:
    Scene() {
        testing::ScratchFolder::Write(site / "template.html", kTemplate);
        testing::ScratchFolder::Write(site / "index.html", kIndex);
        testing::ScratchFolder::Write(site / "article.txt", "Line one\nhttp://a.example\r\nLine three\n");
    }

    // Runs quillora-create inside the site folder.
    testing::ProcessResult Run(const std::vector<std::string>& arguments, const std::string& input = "") const {
        return testing::RunProcess(QUILLORA_CREATE_PATH, arguments, settings_.Environment(), input, site.Path().string());
    }

    // The settings as the window would read them; -99 and "<none>" when missing.
    std::int32_t Int(const char* name) const { return Store().ReadInt("LU", name, -99); }
    std::string Text(const char* name) const { return std::string(Store().ReadText("LU", name, "<none>").Bytes()); }
    void Put(const char* name, std::int32_t value) const { ASSERT_TRUE(Store().WriteInt("LU", name, value)); }
    void Put(const char* name, const std::string& value) const { ASSERT_TRUE(Store().WriteText("LU", name, TextBuffer(value))); }
    // The settings as they stand: the settings file byte for byte on Linux, every value of the
    // program on Windows.
    std::string SettingsFile() const {
#ifdef _WIN32
        std::string values;
        for (const char* name : {"Terms", "Index", "Counter"}) values += std::string(name) + "=" + std::to_string(Int(name)) + "\n";
        for (const char* name : {"Template", "InitDir", "SaveDir"}) values += std::string(name) + "=" + Text(name) + "\n";
        return values;
#else
        return settings_.File();
#endif
    }
    // No settings were made.
    bool SettingsUntouched() const { return settings_.Untouched(); }

    void AcceptTerms() const { Put("Terms", 1); }
    void RememberFolder() const { Put("SaveDir", site.Path().string() + testing::kSep); }

    std::string Site(const std::string& name) const { return site / name; }
    std::string Read(const std::string& name) const { return testing::ScratchFolder::Read(site / name); }

    testing::ScratchFolder site;

private:
    SettingsStore& Store() const { return settings_.Store(); }
    mutable testing::CommandSettings settings_;
};

TEST(CreateCommand, CreatesPagesAndSharesTheCounterWithTheWindow) {
    Scene scene;
    scene.AcceptTerms();
    auto first = scene.Run({"--title", "First", "--text-file", "article.txt", "--template", "template.html", "--output",
                            "article0001.html"});
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.errors, "File \"article0001.html\" has been created\n");
    EXPECT_EQ(first.output, "");
    EXPECT_EQ(scene.Read("article0001.html"),
              "<html><title>First</title><body>Line one<br>\r\n<a href=\"http://a.example\" target=\"_blank\">"
              "http://a.example</a><br>\r\nLine three<br>\r\n</body></html>");
    EXPECT_EQ(scene.Int("Counter"), 1);
    EXPECT_EQ(scene.Int("Index"), 1);
    EXPECT_EQ(scene.Text("Template"), scene.Site("template.html"));
    EXPECT_EQ(scene.Text("SaveDir"), scene.site.Path().string() + testing::kSep);

    // The window moves the counter on; the next run follows it and uses the stored template and folder.
    scene.Put("Counter", 41);
    auto second = scene.Run({"--title", "Second", "--text-file", "article.txt"});
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_TRUE(std::filesystem::exists(scene.Site("article0042.html")));
    EXPECT_EQ(scene.Int("Counter"), 42);
    EXPECT_EQ(scene.Read("index.html"),
              "<html><body><!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0042.html\">42. Second</a><br><br>"
              "\r\n\r\n<a href=\"article0001.html\">1. First</a><br><br></body></html>");
}

TEST(CreateCommand, ReadsTheTextFromStandardInput) {
    Scene scene;
    scene.AcceptTerms();
    const std::vector<std::string> arguments = {"--title", "T", "--text-file", "-", "--template", "template.html",
                                                "--no-index", "--number", "7", "--output", testing::PlatformPath("news/Seven.HTML")};
    auto result = scene.Run(arguments, "a\nb\r\nc\rd\n\n");
    ASSERT_EQ(result.status, 1) << "the folder news does not exist yet";
    std::filesystem::create_directory(scene.Site("news"));
    result = scene.Run(arguments, "a\nb\r\nc\rd\n\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "File \"seven.html\" has been created\n");
    EXPECT_EQ(scene.Read("news/Seven.HTML"), "<html><title>T</title><body>a<br>\r\nb<br>\r\nc\rd<br>\r\n<br>\r\n</body></html>");
    EXPECT_EQ(scene.Read("index.html"), kIndex);
    EXPECT_EQ(scene.Int("Counter"), 7);
    EXPECT_EQ(scene.Int("Index"), 0);
}

TEST(CreateCommand, RefusesToReplaceAnExistingPageUnlessAsked) {
    Scene scene;
    scene.AcceptTerms();
    scene.RememberFolder();
    testing::ScratchFolder::Write(scene.Site("article0001.html"), "mine");
    auto refused = scene.Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "File \"" + scene.Site("article0001.html") + "\" already exists; use --overwrite to replace it\n");
    EXPECT_EQ(scene.Read("article0001.html"), "mine");
    EXPECT_EQ(scene.Read("index.html"), kIndex);
    EXPECT_EQ(scene.Int("Counter"), -99);

    auto replaced = scene.Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--overwrite"});
    EXPECT_EQ(replaced.status, 0) << replaced.errors;
    EXPECT_NE(scene.Read("article0001.html"), "mine");
}

// Each exit status with its message, and what is on disk afterwards.
TEST(CreateCommand, TheExitStatusSaysWhatHappened) {
    struct Case {
        const char* name;
        std::function<void(const Scene&)> prepare;
        std::vector<std::string> arguments;
        int status;
        std::function<std::string(const Scene&)> errors;
        std::vector<std::string> files;  // in the site folder afterwards
        std::string index;               // the index page afterwards; kIndex when untouched
        int counter;                     // -99: not stored
    };
    const std::vector<std::string> base = {"article.txt", "index.html", "template.html"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.end(), base.begin(), base.end());
        std::sort(more.begin(), more.end());
        return more;
    };
    auto write = [](const char* name, const char* bytes) { return [=](const Scene& s) { testing::ScratchFolder::Write(s.Site(name), bytes); }; };
    const std::vector<std::string> create = {"--title", "T", "--text-file", "article.txt"};
    auto args = [&](std::vector<std::string> more) {
        more.insert(more.begin(), create.begin(), create.end());
        return more;
    };
    const std::string markerMessage =
        "Index file does not contain the text:\n\nINSERT INDEX HERE\n\nThis must be exactly as shown above (in capitol letters)\n";
    auto pageWithoutIndex = [](const Scene& s, const std::string& page) {
        return "File \"" + s.Site(page) + "\" was written, but the index page was not updated.\n"
               "Once the index page is right, run the same command with --overwrite to add the link.\n";
    };
    const Case cases[] = {
        {"created", [](const Scene&) {}, args({"--template", "template.html"}), 0,
         [](const Scene&) { return std::string("File \"article0001.html\" has been created\n"); }, with({"article0001.html"}),
         "<html><body><!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0001.html\">1. T</a><br><br></body></html>", 1},
        {"the template cannot be read", [](const Scene&) {}, args({"--template", "nothing.html"}), 1,
         [](const Scene& s) { return "Unable to read file: " + s.Site("nothing.html") + "\n"; }, base, kIndex, -99},
        {"the template lacks the marker", write("bare.html", "<html></html>"), args({"--template", "bare.html"}), 1,
         [](const Scene&) {
             return std::string("Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly "
                                "as shown above (in capitol letters)\n");
         },
         with({"bare.html"}), kIndex, -99},
        {"the page exists", write("article0001.html", "mine"), args({"--template", "template.html"}), 1,
         [](const Scene& s) { return "File \"" + s.Site("article0001.html") + "\" already exists; use --overwrite to replace it\n"; },
         with({"article0001.html"}), kIndex, -99},
        {"the text file is missing", [](const Scene&) {},
         {"--title", "T", "--text-file", "missing.txt", "--template", "template.html"}, 1,
         [](const Scene& s) { return "Unable to read file: " + s.Site("missing.txt") + "\n"; }, base, kIndex, -99},
        {"the number is no integer", [](const Scene&) {}, args({"--template", "template.html", "--number", "abc"}), 2,
         [](const Scene&) { return std::string("Please enter an integer.\n"); }, base, kIndex, -99},
        {"no folder to save in", [](const Scene& s) { s.Put("SaveDir", std::string()); }, args({"--template", "template.html"}),
         2, [](const Scene&) { return std::string(kNoFolderMessage); }, base, kIndex, -99},
        {"terms not accepted", [](const Scene& s) { s.Put("Terms", 0); }, args({"--template", "template.html"}), 2,
         [](const Scene&) { return kTermsRefusal; }, base, kIndex, -99},
        {"no index page", write("news.php", kTemplate), args({"--template", "news.php"}), 3,
         [&](const Scene& s) { return "No index file exists:\n\n" + s.Site("index.php") + "\n" + pageWithoutIndex(s, "article0001.php"); },
         with({"article0001.php", "news.php"}), kIndex, -99},
        {"an index page without the marker", write("index.html", "<html>no marker</html>"), args({"--template", "template.html"}),
         3, [&](const Scene& s) { return markerMessage + pageWithoutIndex(s, "article0001.html"); }, with({"article0001.html"}),
         "<html>no marker</html>", -99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        scene.AcceptTerms();
        scene.RememberFolder();
        c.prepare(scene);
        const auto result = scene.Run(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.errors, c.errors(scene));
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(scene.site.Entries(), c.files);
        EXPECT_EQ(scene.Read("index.html"), c.index);
        EXPECT_EQ(scene.Int("Counter"), c.counter);
    }
}

// The checks of the Create button, in its order: number, template, title, text; then the folder
// to save in. A refused run changes no setting.
TEST(CreateCommand, ChecksComeInTheOrderOfTheCreateButton) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        std::string errors;
    };
    const Case cases[] = {
        {"number before everything", {"--title", "", "--text-file", "empty.txt", "--number", "abc"}, 2, "Please enter an integer.\n"},
        {"template before title and text", {"--title", "", "--text-file", "empty.txt"}, 1, "Please select a template file first\n"},
        {"template before reading the text", {"--title", "T", "--text-file", "missing.txt"}, 1, "Please select a template file first\n"},
        {"title before text", {"--title", "", "--text-file", "empty.txt", "--template", "template.html"}, 1, "No article title entered\n"},
        {"title before reading the text", {"--title", "", "--text-file", "missing.txt", "--template", "template.html"}, 1,
         "No article title entered\n"},
        {"text before the folder", {"--title", "T", "--text-file", "empty.txt", "--template", "template.html"}, 1,
         "No article text entered\n"},
        {"a title of one blank passes", {"--title", " ", "--text-file", "article.txt", "--template", "template.html"}, 2, kNoFolderMessage},
    };
    Scene scene;
    scene.AcceptTerms();
    testing::ScratchFolder::Write(scene.Site("empty.txt"), "");
    const std::string settings = scene.SettingsFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = scene.Run(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.errors, c.errors);
        EXPECT_EQ(scene.SettingsFile(), settings);
        EXPECT_EQ(scene.site.Entries(), (std::vector<std::string>{"article.txt", "empty.txt", "index.html", "template.html"}));
    }
}

// The README's first run: no folder was saved to yet, so --output is needed once.
TEST(CreateCommand, TheFirstRunNeedsAFolder) {
    Scene scene;
    scene.AcceptTerms();
    const std::string settings = scene.SettingsFile();
    const std::vector<std::string> create = {"--title", "First", "--text-file", "article.txt", "--template", "template.html"};
    auto refused = scene.Run(create);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errors, kNoFolderMessage);
    EXPECT_EQ(scene.SettingsFile(), settings) << "nothing stored";
    EXPECT_EQ(scene.site.Entries(), (std::vector<std::string>{"article.txt", "index.html", "template.html"}));

    std::vector<std::string> withOutput = create;
    withOutput.insert(withOutput.end(), {"--output", "article0001.html"});
    EXPECT_EQ(scene.Run(withOutput).status, 0);
    auto next = scene.Run({"--title", "Second", "--text-file", "article.txt"});
    EXPECT_EQ(next.status, 0) << next.errors;
    EXPECT_EQ(next.errors, "File \"article0002.html\" has been created\n");
    EXPECT_NE(scene.Read("index.html").find("article0002.html"), std::string::npos);
}

TEST(CreateCommand, TheTermsOfUseMustBeAcceptedOnce) {
    Scene scene;
    const std::vector<std::string> create = {"--title", "T", "--text-file", "article.txt", "--template", "template.html",
                                             "--output", "article0001.html"};
    auto refused = scene.Run(create);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errors, kTermsRefusal);
    EXPECT_TRUE(scene.SettingsUntouched()) << "no settings file";
    EXPECT_EQ(scene.site.Entries(), (std::vector<std::string>{"article.txt", "index.html", "template.html"}));

    std::vector<std::string> accepting = create;
    accepting.push_back("--accept-terms");
    auto accepted = scene.Run(accepting);
    EXPECT_EQ(accepted.status, 0) << accepted.errors;
    EXPECT_EQ(scene.Int("Terms"), 1) << "as the window's Yes stores it";
    EXPECT_TRUE(std::filesystem::exists(scene.Site("article0001.html")));

    auto later = scene.Run({"--title", "U", "--text-file", "article.txt"});
    EXPECT_EQ(later.status, 0) << later.errors;

    Scene window;  // accepted in the window: any value but 0
    window.Put("Terms", 5);
    window.RememberFolder();
    EXPECT_EQ(window.Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html"}).status, 0);
}

TEST(CreateCommand, BadUsageTouchesNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--title", "T"},
        {"--text-file", "article.txt"},
        {"--title", "T", "--text-file"},
        {"--title", "T", "--title", "U", "--text-file", "article.txt"},
        {"--title", "T", "--text-file", "article.txt", "--index", "--no-index"},
        {"--title", "T", "--text-file", "article.txt", "--accept-terms", "--accept-terms"},
        {"--title", "T", "--text-file", "article.txt", "--colour"},
        {"--title", "T", "--text-file", "article.txt", "stray"},
    };
    Scene scene;
    for (const auto& arguments : cases) {
        auto result = scene.Run(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.errors.find("Try 'quillora-create --help'."), std::string::npos) << result.errors;
    }
    EXPECT_EQ(scene.site.Entries(), (std::vector<std::string>{"article.txt", "index.html", "template.html"}));
    EXPECT_TRUE(scene.SettingsUntouched());
}

TEST(CreateCommand, HelpAndVersion) {
    Scene scene;
    auto help = scene.Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output, CreateUsage());
    auto version = scene.Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "quillora-create 1.0.0.1\n");
}

// --- The option table, from which parsing and --help both come ---

TEST(CreateOptions, EveryOptionOfTheTableIsParsedAndListed) {
    const std::string usage = CreateUsage();
    std::size_t listedAt = 0;
    for (const CreateOption& option : CreateOptionTable()) {
        SCOPED_TRACE(option.name);
        const std::string synopsis = option.valueName ? std::string(option.name) + " " + option.valueName : option.name;
        const std::size_t at = usage.find("\n  " + synopsis + " ");
        ASSERT_NE(at, std::string::npos) << "listed by --help";
        EXPECT_GT(at, listedAt) << "in the table's order";
        listedAt = at;

        std::vector<std::string> arguments;
        for (const char* name : {"--title", "--text-file"}) {
            if (std::string(option.name) != name) arguments.insert(arguments.end(), {name, "x"});
        }
        arguments.push_back(option.name);
        if (option.valueName) arguments.push_back("value");
        CreateOptions options;
        std::string problem;
        EXPECT_TRUE(ParseCreateOptions(arguments, options, problem)) << problem;
        if (option.valueName) {
            arguments.pop_back();
            EXPECT_FALSE(ParseCreateOptions(arguments, options, problem));
            EXPECT_EQ(problem, std::string(option.name) + " needs a value");
        }
    }
}

TEST(CreateOptions, EachOptionSetsItsOwnField) {
    struct Case {
        std::vector<std::string> arguments;
        std::function<bool(const CreateOptions&)> holds;
    };
    const Case cases[] = {
        {{"--template", "t.html"}, [](const CreateOptions& o) { return o.templatePath == "t.html"; }},
        {{"--number", "12"}, [](const CreateOptions& o) { return o.number == "12"; }},
        {{"--output", "p.html"}, [](const CreateOptions& o) { return o.output == "p.html"; }},
        {{"--overwrite"}, [](const CreateOptions& o) { return o.overwrite; }},
        {{"--index"}, [](const CreateOptions& o) { return o.updateIndex == true; }},
        {{"--no-index"}, [](const CreateOptions& o) { return o.updateIndex == false; }},
        {{"--accept-terms"}, [](const CreateOptions& o) { return o.acceptTerms; }},
        {{}, [](const CreateOptions& o) {
             return !o.templatePath && !o.number && !o.output && !o.overwrite && !o.updateIndex && !o.acceptTerms;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "none" : c.arguments.front());
        std::vector<std::string> arguments = {"--title", "The title", "--text-file", "-"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        CreateOptions options;
        std::string problem;
        ASSERT_TRUE(ParseCreateOptions(arguments, options, problem)) << problem;
        EXPECT_EQ(options.title, "The title");
        EXPECT_EQ(options.textFile, "-");
        EXPECT_TRUE(c.holds(options));
    }
}

}  // namespace
}  // namespace quillora
