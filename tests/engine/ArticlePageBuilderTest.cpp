#include "engine/ArticlePageBuilder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <ostream>
#include <string>

#include "engine/CodePage.h"
#include "engine/DateText.h"
#include "support/CaseName.h"

namespace quillora {
namespace {

class ArticlePageBuilderTest : public ::testing::Test {
protected:
    std::string Build(const char* page, const char* text, const char* title = "Title") {
        std::optional<TextBuffer> built =
            ArticlePageBuilder::BuildArticlePage(TextBuffer(page), TextBuffer(text), TextBuffer(title), date);
        EXPECT_TRUE(built.has_value());
        return built ? std::string(built->Bytes()) : std::string();
    }

    TextBuffer date{"Tuesday, March 29, 2005"};
};

struct LinkCase {
    const char* name;
    const char* text;
    const char* converted;
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }

class LinkAddressesTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkAddressesTest, ConvertsLineBreaksAndAddresses) {
    EXPECT_EQ(std::string(ArticlePageBuilder::ConvertArticleText(TextBuffer(GetParam().text)).Bytes()),
              GetParam().converted);
}

#define LINK(address) "<a href=\"" address "\" target=\"_blank\">" address "</a>"

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkAddressesTest,
    ::testing::Values(
        LinkCase{"no line break", "one line", "one line"},
        LinkCase{"trailing break", "a\r\nb\r\n", "a<br>\r\nb<br>\r\n"},
        LinkCase{"lone CR and LF", "a\rb\nc", "a\rb\nc"},
        LinkCase{"before a comma", "see http://a.example/x, then", "see " LINK("http://a.example/x") ", then"},
        LinkCase{"full stop kept", "see http://a.example/x.", "see " LINK("http://a.example/x.")},
        LinkCase{"bracket kept", "(http://a.example/x)", "(" LINK("http://a.example/x)")},
        LinkCase{"before non-ASCII", "http://a.example/\xC3\xA9t\xC3\xA9", LINK("http://a.example/") "\xC3\xA9t\xC3\xA9"},
        LinkCase{"end of text", "go http://a.example", "go " LINK("http://a.example")},
        LinkCase{"end of line", "http://a.example\r\nnext", LINK("http://a.example") "<br>\r\nnext"},
        LinkCase{"letters before", "xhttp://a.example", "x" LINK("http://a.example")},
        LinkCase{"capitals", "HTTP://a.example", "HTTP://a.example"},
        LinkCase{"https", "https://a.example", "https://a.example"},
        LinkCase{"bare prefix", "http:// space", LINK("http://") " space"},
        LinkCase{"tab ends", "http://a\tb", LINK("http://a") "\tb"},
        LinkCase{"user markup", "<a href=\"http://a.example/\">here</a>",
                 "<a href=\"" LINK("http://a.example/\">here") "</a>"},
        LinkCase{"several", "http://a http://b,http://c", LINK("http://a") " " LINK("http://b") "," LINK("http://c")},
        LinkCase{"address in address", "http://http://x", LINK("http://http://x")},
        LinkCase{"empty", "", ""}),
    testing::ByCaseName());

TEST_F(ArticlePageBuilderTest, ReplacesEveryMarkerInItsOrder) {
    EXPECT_EQ(Build("<title>INSERT TITLE HERE</title>INSERT DATE HERE|INSERT ARTICLE HERE|INSERT ARTICLE HERE",
                    "Hi\r\nhttp://a.example", "News <b>&\" 100%"),
              "<title>News <b>&\" 100%</title>Tuesday, March 29, 2005|Hi<br>\r\n" LINK("http://a.example") "|Hi<br>\r\n"
              LINK("http://a.example"));
}

TEST_F(ArticlePageBuilderTest, MarkersInsideTheArticleAndTitle) {
    // The article marker in the text stays literal; the title and date markers in the text are
    // replaced; the title and article markers in the title stay literal; the date marker in
    // the title is replaced.
    EXPECT_EQ(Build("[INSERT ARTICLE HERE][INSERT TITLE HERE]", "a INSERT ARTICLE HERE b INSERT TITLE HERE c INSERT DATE HERE",
                    "T INSERT TITLE HERE INSERT ARTICLE HERE INSERT DATE HERE"),
              "[a INSERT ARTICLE HERE b T INSERT TITLE HERE INSERT ARTICLE HERE Tuesday, March 29, 2005 c Tuesday, March "
              "29, 2005][T INSERT TITLE HERE INSERT ARTICLE HERE Tuesday, March 29, 2005]");
}

TEST_F(ArticlePageBuilderTest, TemplateAddressesAndOtherCasesAreUntouched) {
    EXPECT_EQ(Build("http://t.example\r\ninsert title here INSERT ARTICLE HERE Insert Date Here", "x", "T"),
              "http://t.example\r\ninsert title here x Insert Date Here");
}

TEST_F(ArticlePageBuilderTest, NoPageWithoutTheArticleMarker) {
    for (const char* page : {"", "insert article here", "INSERT TITLE HERE", "INSERT  ARTICLE HERE"}) {
        EXPECT_FALSE(ArticlePageBuilder::BuildArticlePage(TextBuffer(page), TextBuffer("text"), TextBuffer("title"), date))
            << page;
    }
}

TEST_F(ArticlePageBuilderTest, AnEmptyDateRemovesTheDateMarkers) {
    date = TextBuffer();
    EXPECT_EQ(Build("[INSERT DATE HERE]INSERT ARTICLE HERE", "x"), "[]x");
}

TEST(ArticlePageDateTest, EnglishNamesAndTwoDigitDays) {
    struct Case {
        int year, month, day, weekday;
        const char* expected;
    };
    const Case cases[] = {
        {2005, 4, 1, 5, "Friday, April 01, 2005"},
        {2026, 12, 9, 3, "Wednesday, December 09, 2026"},
        {2024, 1, 31, 3, "Wednesday, January 31, 2024"},
        {1999, 9, 5, 0, "Sunday, September 05, 1999"},
        {2023, 7, 15, 6, "Saturday, July 15, 2023"},
    };
    for (const Case& c : cases) {
        std::tm local{};
        local.tm_year = c.year - 1900;
        local.tm_mon = c.month - 1;
        local.tm_mday = c.day;
        local.tm_wday = c.weekday;
        EXPECT_EQ(std::string(DateText(local).Bytes()), c.expected);
    }
    std::tm outOfRange{};
    outOfRange.tm_wday = 7;
    EXPECT_TRUE(DateText(outOfRange).IsEmpty());
}

TEST_F(ArticlePageBuilderTest, EveryByteValueIsSafe) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (CodePageKind kind : {CodePageKind::SingleByte, CodePageKind::DoubleByte, CodePageKind::Utf8}) {
        ScopedCodePage page(kind);
        std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(
            TextBuffer(all + "INSERT ARTICLE HERE" + all), TextBuffer(all + "http://" + all), TextBuffer(all), date);
        ASSERT_TRUE(built.has_value());
        EXPECT_NE(built->Find("<a href=\"http://"), -1);
    }
}

}  // namespace
}  // namespace quillora
