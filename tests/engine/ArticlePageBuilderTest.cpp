#include "engine/ArticlePageBuilder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/CodePage.h"
#include "fakes/FakeMessageBoxes.h"
#include "fakes/FixedClock.h"

namespace quillora {
namespace {

const char kMissingMarker[] =
    "Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly as shown above (in "
    "capitol letters)";

class ArticlePageBuilderTest : public ::testing::Test {
protected:
    std::string Build(const char* page, const char* text, const char* title = "Title") {
        TextBuffer buffer(page);
        EXPECT_TRUE(builder.BuildArticlePage(buffer, TextBuffer(text), TextBuffer(title)));
        return std::string(buffer.Bytes());
    }

    TextBuffer caption{"Quillora"};
    testing::FakeMessageBoxes boxes;
    Messages messages{boxes, caption};
    testing::FixedClock clock{2005, 3, 29, 2};  // Tuesday, March 29, 2005
    ArticlePageBuilder builder{messages, clock};
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
    [](const ::testing::TestParamInfo<LinkCase>& param) {
        std::string name = param.param.name;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(ArticlePageBuilderTest, ReplacesEveryMarkerInItsOrder) {
    EXPECT_EQ(Build("<title>INSERT TITLE HERE</title>INSERT DATE HERE|INSERT ARTICLE HERE|INSERT ARTICLE HERE",
                    "Hi\r\nhttp://a.example", "News <b>&\" 100%"),
              "<title>News <b>&\" 100%</title>Tuesday, March 29, 2005|Hi<br>\r\n" LINK("http://a.example") "|Hi<br>\r\n"
              LINK("http://a.example"));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(clock.reads, 1);
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

TEST_F(ArticlePageBuilderTest, MissingArticleMarkerLeavesThePage) {
    for (const char* page : {"", "insert article here", "INSERT TITLE HERE", "INSERT  ARTICLE HERE"}) {
        boxes.shown.clear();
        TextBuffer buffer(page);
        EXPECT_FALSE(builder.BuildArticlePage(buffer, TextBuffer("text"), TextBuffer("title")));
        EXPECT_EQ(std::string(buffer.Bytes()), page);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, kMissingMarker);
        EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(boxes.shown[0].caption, "Quillora");
    }
}

TEST_F(ArticlePageBuilderTest, DateWhenTheClockCannotConvert) {
    clock.convertible = false;
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
        testing::FixedClock clock(c.year, c.month, c.day, c.weekday);
        EXPECT_EQ(std::string(ArticlePageBuilder::FormatDate(clock.local).Bytes()), c.expected);
    }
}

TEST_F(ArticlePageBuilderTest, EveryByteValueIsSafe) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    for (CodePageKind kind : {CodePageKind::SingleByte, CodePageKind::DoubleByte, CodePageKind::Utf8}) {
        ScopedCodePage page(kind);
        TextBuffer buffer(all + "INSERT ARTICLE HERE" + all);
        ASSERT_TRUE(builder.BuildArticlePage(buffer, TextBuffer(all + "http://" + all), TextBuffer(all)));
        EXPECT_NE(buffer.Find("<a href=\"http://"), -1);
    }
}

}  // namespace
}  // namespace quillora
