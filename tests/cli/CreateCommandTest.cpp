// Runs the built quillora-create on real files, with settings of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CommandSettings.h"
#include "ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

const char kTemplate[] = "<html><title>INSERT TITLE HERE</title><body>INSERT ARTICLE HERE</body></html>";
const char kIndex[] = "<html><body><!--INSERT INDEX HERE--></body></html>";

class CreateCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(site.Path());
        testing::ScratchFolder::Write(site / "template.html", kTemplate);
        testing::ScratchFolder::Write(site / "index.html", kIndex);
        testing::ScratchFolder::Write(site / "article.txt", "Line one\nhttp://a.example\r\nLine three\n");
    }

    testing::ProcessResult Run(std::vector<std::string> arguments, const std::string& input = "") {
        return testing::RunProcess(QUILLORA_CREATE_PATH, arguments, settings.Environment(), input, site.Path().string());
    }

    // The settings as the window would read them.
    struct Stored {
        std::int32_t counter, index;
        std::string templatePath, saveDir;
    };
    Stored Settings() {
        SettingsStore& store = settings.Store();
        return {store.ReadInt("LU", "Counter", -99), store.ReadInt("LU", "Index", -99),
                std::string(store.ReadText("LU", "Template", "<none>").Bytes()),
                std::string(store.ReadText("LU", "SaveDir", "<none>").Bytes())};
    }
    void StoreCounter(std::int32_t counter) { ASSERT_TRUE(settings.Store().WriteInt("LU", "Counter", counter)); }

    testing::ScratchFolder site;
    testing::CommandSettings settings;
};

TEST_F(CreateCommandTest, CreatesPagesAndSharesTheCounterWithTheWindow) {
    auto first = Run({"--title", "First", "--text-file", "article.txt", "--template", "template.html"});
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(first.errors, "File \"article0001.html\" has been created\n");
    EXPECT_EQ(first.output, "");
    EXPECT_EQ(testing::ScratchFolder::Read(site / "article0001.html"),
              "<html><title>First</title><body>Line one<br>\r\n<a href=\"http://a.example\" target=\"_blank\">"
              "http://a.example</a><br>\r\nLine three<br>\r\n</body></html>");

    Stored stored = Settings();
    EXPECT_EQ(stored.counter, 1);
    EXPECT_EQ(stored.index, 1);
    EXPECT_EQ(stored.templatePath, site / "template.html");
    EXPECT_EQ(stored.saveDir, site.Path().string() + testing::kSep);

    // The window moves the counter on; the next run follows it and uses the stored template.
    StoreCounter(41);
    auto second = Run({"--title", "Second", "--text-file", "article.txt"});
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_TRUE(std::filesystem::exists(site / "article0042.html"));
    EXPECT_EQ(Settings().counter, 42);
    EXPECT_EQ(testing::ScratchFolder::Read(site / "index.html"),
              "<html><body><!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0042.html\">42. Second</a><br><br>"
              "\r\n\r\n<a href=\"article0001.html\">1. First</a><br><br></body></html>");
}

TEST_F(CreateCommandTest, ReadsTheTextFromStandardInput) {
    const std::string sevenPath = std::string("news") + testing::kSep + "Seven.HTML";
    auto result = Run({"--title", "T", "--text-file", "-", "--template", "template.html", "--no-index", "--number",
                       "7", "--output", sevenPath},
                      "a\nb\r\nc\rd\n\n");
    ASSERT_EQ(result.status, 1) << "the folder news does not exist yet";
    std::filesystem::create_directory(site / "news");
    result = Run({"--title", "T", "--text-file", "-", "--template", "template.html", "--no-index", "--number", "7",
                  "--output", sevenPath},
                 "a\nb\r\nc\rd\n\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "File \"seven.html\" has been created\n");
    EXPECT_EQ(testing::ScratchFolder::Read(site / "news/Seven.HTML"),
              "<html><title>T</title><body>a<br>\r\nb<br>\r\nc\rd<br>\r\n<br>\r\n</body></html>");
    EXPECT_EQ(testing::ScratchFolder::Read(site / "index.html"), kIndex);
    EXPECT_EQ(Settings().counter, 7);
    EXPECT_EQ(Settings().index, 0);
}

TEST_F(CreateCommandTest, RefusesToReplaceAnExistingPageUnlessAsked) {
    testing::ScratchFolder::Write(site / "article0001.html", "mine");
    auto refused = Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "File \"" + (site / "article0001.html") + "\" already exists; use --overwrite to replace it\n");
    EXPECT_EQ(testing::ScratchFolder::Read(site / "article0001.html"), "mine");
    EXPECT_EQ(testing::ScratchFolder::Read(site / "index.html"), kIndex);
    EXPECT_EQ(Settings().counter, -99);

    auto replaced = Run({"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--overwrite"});
    EXPECT_EQ(replaced.status, 0) << replaced.errors;
    EXPECT_NE(testing::ScratchFolder::Read(site / "article0001.html"), "mine");
}

TEST_F(CreateCommandTest, FailuresPrintTheProgramsMessages) {
    testing::ScratchFolder::Write(site / "empty.txt", "");
    testing::ScratchFolder::Write(site / "nomarker.html", "<html></html>");
    testing::ScratchFolder::Write(site / "noindex.php", kTemplate);
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string errors;
    };
    const std::string missing = site / "missing.txt";
    const Case cases[] = {
        {"no template stored", {"--title", "T", "--text-file", "article.txt"}, "Please select a template file first\n"},
        {"empty title", {"--title", "", "--text-file", "article.txt", "--template", "template.html"},
         "No article title entered\n"},
        {"empty text", {"--title", "T", "--text-file", "empty.txt", "--template", "template.html"},
         "No article text entered\n"},
        {"missing text file", {"--title", "T", "--text-file", "missing.txt", "--template", "template.html"},
         "Unable to read file: " + missing + "\n"},
        {"number", {"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--number", "12a"},
         "Please enter an integer.\n"},
        {"minus zero", {"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--number", "-0"},
         "Please enter an integer.\n"},
        {"template unreadable", {"--title", "T", "--text-file", "article.txt", "--template", "nothing.html"},
         "Unable to read file: " + (site / "nothing.html") + "\n"},
        {"no article marker", {"--title", "T", "--text-file", "article.txt", "--template", "nomarker.html"},
         "Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly as shown above (in "
         "capitol letters)\n"},
        {"no index page", {"--title", "T", "--text-file", "article.txt", "--template", "noindex.php"},
         "No index file exists:\n\n" + (site / "index.php") + "\n"},
    };
    for (const Case& c : cases) {
        auto result = Run(c.arguments);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.errors, c.errors) << c.name;
        EXPECT_EQ(Settings().counter, -99) << c.name;
    }
    EXPECT_EQ(testing::ScratchFolder::Read(site / "index.html"), kIndex);
}

TEST_F(CreateCommandTest, BadUsageTouchesNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--title", "T"},
        {"--text-file", "article.txt"},
        {"--title", "T", "--text-file"},
        {"--title", "T", "--title", "U", "--text-file", "article.txt"},
        {"--title", "T", "--text-file", "article.txt", "--index", "--no-index"},
        {"--title", "T", "--text-file", "article.txt", "--colour"},
        {"--title", "T", "--text-file", "article.txt", "stray"},
    };
    for (const auto& arguments : cases) {
        auto result = Run(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.errors.find("Try 'quillora-create --help'."), std::string::npos) << result.errors;
    }
    EXPECT_EQ(site.Entries(), (std::vector<std::string>{"article.txt", "index.html", "template.html"}));
    EXPECT_TRUE(settings.Untouched());
}

// Refused before any setting is read, so that a first run leaves no settings file behind either.
TEST_F(CreateCommandTest, BadInputTouchesNoFile) {
    testing::ScratchFolder::Write(site / "empty.txt", "");
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string errors;
    };
    const Case cases[] = {
        {"number", {"--title", "T", "--text-file", "article.txt", "--template", "template.html", "--number", "1x"},
         "Please enter an integer.\n"},
        {"number without template", {"--title", "T", "--text-file", "article.txt", "--number", ""},
         "Please enter an integer.\n"},
        {"zero-byte text", {"--title", "T", "--text-file", "empty.txt", "--template", "template.html"},
         "No article text entered\n"},
        {"zero-byte text without template", {"--title", "T", "--text-file", "empty.txt"}, "No article text entered\n"},
        {"missing text file", {"--title", "T", "--text-file", "missing.txt", "--template", "template.html"},
         "Unable to read file: " + (site / "missing.txt") + "\n"},
    };
    for (const Case& c : cases) {
        auto result = Run(c.arguments);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.errors, c.errors) << c.name;
        EXPECT_TRUE(settings.Untouched()) << c.name;
    }
    EXPECT_EQ(site.Entries(), (std::vector<std::string>{"article.txt", "empty.txt", "index.html", "template.html"}));
}

TEST_F(CreateCommandTest, HelpAndVersion) {
    auto help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--text-file FILE"), std::string::npos);
    EXPECT_NE(help.output.find("terms of use"), std::string::npos);
    auto version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "quillora-create 1.0.0.1\n");
}

}  // namespace
}  // namespace quillora
