#include "engine/ArticlePageBuilder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <optional>
#include <ostream>
#include <string>

#include "engine/CodePage.h"
#include "engine/DateText.h"
#include "support/CaseName.h"
#include "support/CodePages.h"

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

// The three replacements run over the whole page, one after the other, so a marker can be
// formed where an inserted piece meets the bytes around it, and in a double-byte code page a
// piece that ends in a lead byte takes the next byte of the page into its last character.
struct BoundaryCase {
    const char* name;
    CodePage codePage;
    const char* page;
    const char* text;
    const char* title;
    const char* built;
};

void PrintTo(const BoundaryCase& c, std::ostream* out) { *out << c.name; }

class PieceBoundaryTest : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(PieceBoundaryTest, BuildsWhatTheThreeReplacementsGive) {
    const BoundaryCase& c = GetParam();
    ScopedCodePage codePage(c.codePage);
    std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(TextBuffer(c.page), TextBuffer(c.text),
                                                                           TextBuffer(c.title), TextBuffer("[D]"));
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(std::string(built->Bytes()), c.built);
}

constexpr CodePageKind kSingle = CodePageKind::SingleByte;
constexpr CodePageKind kDouble = CodePageKind::DoubleByte;
constexpr CodePageKind kUtf8 = CodePageKind::Utf8;
const CodePage kWide = testing::WideDoubleBytePage();

INSTANTIATE_TEST_SUITE_P(
    Cases, PieceBoundaryTest,
    ::testing::Values(
        // Markers formed across the joins.
        BoundaryCase{"title marker from template into text", kUtf8, "<INSERT TITINSERT ARTICLE HERE>", "LE HERE", "T",
                     "<T>"},
        BoundaryCase{"title marker from text into template", kUtf8, "<INSERT ARTICLE HERETLE HERE>", "INSERT TI", "T",
                     "<T>"},
        BoundaryCase{"title marker over template, text and template", kSingle, "INSERT INSERT ARTICLE HERE HERE",
                     "TITLE", "T", "T"},
        BoundaryCase{"empty text joins the template around it", kUtf8, "INSERT TIINSERT ARTICLE HERETLE HERE", "", "T",
                     "T"},
        BoundaryCase{"article marker formed by an empty text stays", kUtf8, "INSERT ARTINSERT ARTICLE HEREICLE HERE", "",
                     "T", "INSERT ARTICLE HERE"},
        BoundaryCase{"date marker from one copy of the text into the next", kUtf8,
                     "INSERT ARTICLE HEREINSERT ARTICLE HERE", "HERE INSERT DATE ", "T", "HERE [D] INSERT DATE "},
        BoundaryCase{"date marker from text into title", kUtf8, "INSERT ARTICLE HEREINSERT TITLE HERE", "INSERT ",
                     "DATE HERE", "[D]"},
        BoundaryCase{"date marker over template, title and template", kSingle,
                     "INSERT INSERT TITLE HERE HERE|INSERT ARTICLE HERE", "x", "DATE", "[D]|x"},
        BoundaryCase{"title marker from title into template stays", kUtf8, "INSERT TITLE HERETLE HERE INSERT ARTICLE HERE",
                     "x", "INSERT TI", "INSERT TITLE HERE x"},
        BoundaryCase{"an address ends with the text", kUtf8, "INSERT ARTICLE HEREINSERT TITLE HERE", "http://a", "T",
                     LINK("http://a") "T"},
        // Markers inside the inserted pieces, in every copy.
        BoundaryCase{"markers in the text, twice", kSingle, "INSERT ARTICLE HERE|INSERT ARTICLE HERE",
                     "INSERT TITLE HERE INSERT DATE HERE INSERT ARTICLE HERE", "T",
                     "T [D] INSERT ARTICLE HERE|T [D] INSERT ARTICLE HERE"},
        BoundaryCase{"date marker in a title that the text holds", kUtf8, "INSERT ARTICLE HERE", "<INSERT TITLE HERE>",
                     "INSERT DATE HERE", "<[D]>"},
        // Double-byte characters across the joins.
        BoundaryCase{"lead byte before a template marker", kDouble,
                     "\x81INSERT TITLE HERE|\x81\x81INSERT TITLE HERE|INSERT ARTICLE HERE", "x", "T",
                     "\x81INSERT TITLE HERE|\x81\x81T|x"},
        BoundaryCase{"text ending in a lead byte hides a title marker", kDouble, "INSERT ARTICLE HEREINSERT TITLE HERE",
                     "a\x82", "T", "a\x82INSERT TITLE HERE"},
        BoundaryCase{"text ending in a lead byte frees a title marker", kDouble,
                     "INSERT ARTICLE HERE\x81INSERT TITLE HERE", "a\x82", "T", "a\x82\x81T"},
        BoundaryCase{"template lead byte without the text's", kDouble, "INSERT ARTICLE HERE\x81INSERT TITLE HERE", "a",
                     "T", "a\x81INSERT TITLE HERE"},
        BoundaryCase{"title ending in a lead byte hides a date marker", kDouble,
                     "INSERT ARTICLE HEREINSERT TITLE HEREINSERT DATE HERE", "x", "t\x82", "xt\x82INSERT DATE HERE"},
        BoundaryCase{"first copy of the text hides the marker in the second", kDouble,
                     "INSERT ARTICLE HEREINSERT ARTICLE HERE", "INSERT TITLE HERE\x82", "T",
                     "T\x82INSERT TITLE HERE\x82"},
        BoundaryCase{"text ending in a lead byte shifts the template up to the next copy", kDouble,
                     "INSERT ARTICLE HERE\x82\x83INSERT ARTICLE HERE", "INSERT TITLE HERE\x82", "T",
                     "T\x82\x82\x83INSERT TITLE HERE\x82"},
        BoundaryCase{"lead byte before a line break or an address in the text", kDouble, "INSERT ARTICLE HERE",
                     "\x82\r\n\x82\x82\r\n\x82http://a \x82\x82http://b", "T",
                     "\x82\r\n\x82\x82<br>\r\n\x82http://a \x82\x82" LINK("http://b")},
        // The same bytes in a page with more lead bytes than 932: 0xA4 is one of them there.
        BoundaryCase{"lead byte of the wider page before a template marker", kWide,
                     "\xA4INSERT TITLE HERE|\xA4\xA4INSERT TITLE HERE|INSERT ARTICLE HERE", "x", "T",
                     "\xA4INSERT TITLE HERE|\xA4\xA4T|x"},
        BoundaryCase{"no lead byte in 932 before a template marker", kDouble,
                     "\xA4INSERT TITLE HERE|\xA4\xA4INSERT TITLE HERE|INSERT ARTICLE HERE", "x", "T", "\xA4T|\xA4\xA4T|x"},
        BoundaryCase{"text ending in a lead byte of the wider page hides a title marker", kWide,
                     "INSERT ARTICLE HEREINSERT TITLE HERE", "a\xFE", "T", "a\xFEINSERT TITLE HERE"},
        BoundaryCase{"lead byte of the wider page before a line break or an address", kWide, "INSERT ARTICLE HERE",
                     "\xA4\r\n\xA4\xA4\r\n\xA4http://a \xA4\xA4http://b", "T",
                     "\xA4\r\n\xA4\xA4<br>\r\n\xA4http://a \xA4\xA4" LINK("http://b")},
        BoundaryCase{"lead byte and trail byte values in UTF-8", kUtf8,
                     "\xC3INSERT TITLE HERE \x81INSERT ARTICLE HERE|INSERT DATE HERE", "\xE3\x81", "T",
                     "\xC3T \x81\xE3\x81|[D]"},
        BoundaryCase{"every byte a character in a single-byte page", kSingle, "\x81INSERT ARTICLE HERE\x82INSERT TITLE HERE",
                     "\x82", "T", "\x81\x82\x82T"}),
    [](const ::testing::TestParamInfo<BoundaryCase>& param) {
        std::string name = param.param.name;
        for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(ArticlePageBuilderDoubleByteTest, ALeadByteBeforeTheArticleMarkerHidesIt) {
    ScopedCodePage codePage(CodePageKind::DoubleByte);
    const TextBuffer date("[D]");
    EXPECT_FALSE(ArticlePageBuilder::BuildArticlePage(TextBuffer("\x81INSERT ARTICLE HERE"), TextBuffer("x"),
                                                      TextBuffer("T"), date));
    std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(
        TextBuffer("\x81INSERT ARTICLE HERE\x81\x81INSERT ARTICLE HERE"), TextBuffer("x"), TextBuffer("T"), date);
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(std::string(built->Bytes()), "\x81INSERT ARTICLE HERE\x81\x81x");
}

// Megabytes of lead bytes in the template, the text and the title: every character boundary
// is walked once, whatever the code page.
TEST(ArticlePageBuilderDoubleByteTest, LongRunsOfLeadBytes) {
    const std::string leads(2 << 20, '\x81');
    for (CodePageKind kind : {CodePageKind::SingleByte, CodePageKind::DoubleByte, CodePageKind::Utf8}) {
        ScopedCodePage codePage(kind);
        std::optional<TextBuffer> built = ArticlePageBuilder::BuildArticlePage(
            TextBuffer(leads + "INSERT ARTICLE HERE" + leads + "INSERT TITLE HERE"), TextBuffer(leads + "I"),
            TextBuffer(leads + "INSERT DATE HERE"), TextBuffer("[D]"));
        ASSERT_TRUE(built.has_value());
        EXPECT_TRUE(built->Bytes() == leads + leads + "I" + leads + leads + "[D]");
    }
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
