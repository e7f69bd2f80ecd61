// The example site of examples/ used as the README says: articles created with its template land
// beside its index page, and every link of every page leads to a file of the site.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli/CommandSettings.h"
#include "cli/ProcessRunner.h"
#include "fakes/ScratchFolder.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

// The targets of the href and src attributes of a page.
std::vector<std::string> LinkTargets(const std::string& page) {
    static const std::regex kAttribute(R"#((?:href|src)="([^"]*)")#");
    std::vector<std::string> targets;
    for (auto match = std::sregex_iterator(page.begin(), page.end(), kAttribute); match != std::sregex_iterator(); ++match)
        targets.push_back((*match)[1].str());
    return targets;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

class ExampleSiteTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy(QUILLORA_EXAMPLES_DIR, folder.Path(), fs::copy_options::recursive); }

    // quillora-create run from inside the site; the first run accepts the terms and names the
    // page, the later ones save beside it.
    testing::ProcessResult Create(const std::string& title) {
        const std::string up = std::string("..") + testing::kSep;
        std::vector<std::string> arguments = {"--title", title, "--text-file", up + "first-issue.txt", "--template",
                                              up + "template.html", "--index"};
        if (firstRun_) arguments.insert(arguments.end(), {"--accept-terms", "--output", "article0001.html"});
        firstRun_ = false;
        return testing::RunProcess(QUILLORA_CREATE_PATH, arguments, settings.Environment(), "", Site().string());
    }

    fs::path Site() const { return folder.Path() / "site"; }
    std::string Page(const std::string& name) const { return testing::ScratchFolder::Read((Site() / name).string()); }

    // Every link of a page of the site leads to a file of the site or to the web, and the
    // elements that hold others are closed as often as they are opened.
    void ExpectSound(const std::string& name) const {
        SCOPED_TRACE(name);
        const std::string page = Page(name);
        // Only the index keeps its marker, once, for the next link.
        const std::size_t markers = name == "index.html" ? 1 : 0;
        EXPECT_EQ(Count(page, "<!--INSERT INDEX HERE-->"), markers);
        EXPECT_EQ(Count(page, "INSERT "), markers) << "a marker is left";
        for (const std::string& target : LinkTargets(page)) {
            if (target.rfind("http://", 0) == 0) continue;
            EXPECT_TRUE(fs::is_regular_file(Site() / target)) << "broken link: " << target;
        }
        for (const char* element : {"html", "head", "title", "body", "header", "main", "nav", "article", "footer", "h1", "p", "a"}) {
            const std::string tag(element);
            EXPECT_EQ(Count(page, "<" + tag + ">") + Count(page, "<" + tag + " "), Count(page, "</" + tag + ">"))
                << "<" << element << "> opened and closed unevenly";
        }
    }

    testing::ScratchFolder folder;
    testing::CommandSettings settings;

private:
    bool firstRun_ = true;
};

TEST_F(ExampleSiteTest, FirstArticleGivesAPageAndAnIndexWithWorkingLinks) {
    const auto created = Create("Doors open on Saturdays");
    ASSERT_EQ(created.status, 0) << created.errors;
    EXPECT_EQ(created.errors, "File \"article0001.html\" has been created\n");

    const std::string article = Page("article0001.html");
    EXPECT_NE(article.find("<title>Doors open on Saturdays - The Lantern Street Letter</title>"), std::string::npos);
    EXPECT_NE(article.find("<h1>Doors open on Saturdays</h1>"), std::string::npos);
    EXPECT_TRUE(std::regex_search(article, std::regex(R"(<p class="date">[A-Z][a-z]+day, [A-Z][a-z]+ \d\d, \d{4}</p>)")));
    EXPECT_NE(article.find("this winter.<br>\r\n<br>\r\nBring a lamp"), std::string::npos);
    EXPECT_NE(article.find("<a href=\"http://lantern-street.example/tools\" target=\"_blank\">"
                           "http://lantern-street.example/tools</a><br>\r\n"),
              std::string::npos);
    const std::vector<std::string> articleLinks = LinkTargets(article);
    EXPECT_NE(std::find(articleLinks.begin(), articleLinks.end(), "index.html"), articleLinks.end());
    EXPECT_NE(std::find(articleLinks.begin(), articleLinks.end(), "style.css"), articleLinks.end());

    EXPECT_NE(Page("index.html").find("<!--INSERT INDEX HERE-->\r\n\r\n<a href=\"article0001.html\">1. Doors open on "
                                      "Saturdays</a><br><br>"),
              std::string::npos);
    ExpectSound("article0001.html");
    ExpectSound("index.html");
}

TEST_F(ExampleSiteTest, LaterArticlesAreListedNewestFirst) {
    ASSERT_EQ(Create("Doors open on Saturdays").status, 0);
    ASSERT_EQ(Create("The lamp clinic").status, 0);

    const std::string index = Page("index.html");
    const std::size_t second = index.find("<a href=\"article0002.html\">2. The lamp clinic</a>");
    const std::size_t first = index.find("<a href=\"article0001.html\">1. Doors open on Saturdays</a>");
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(first, std::string::npos);
    EXPECT_LT(second, first);
    for (const char* name : {"index.html", "article0001.html", "article0002.html"}) ExpectSound(name);
}

}  // namespace
}  // namespace quillora
