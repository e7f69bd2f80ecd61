#include "engine/TextBuffer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/CodePage.h"
#include "support/CaseName.h"
#include "support/CodePages.h"

namespace quillora {
namespace {

std::string S(const TextBuffer& text) { return std::string(text.Bytes()); }

TEST(TextBufferTest, BuildingFromBytesStopsAtTheFirstZeroByte) {
    EXPECT_EQ(TextBuffer(std::string_view("ab\0cd", 5)).Length(), 2);
    EXPECT_EQ(TextBuffer("").Length(), 0);
    EXPECT_EQ(TextBuffer(static_cast<const char*>(nullptr)).Length(), 0);
    TextBuffer text("x");
    text.Append(std::string_view("yz\0w", 4));
    EXPECT_EQ(S(text), "xyz");
}

TEST(TextBufferTest, CopiesAreIndependent) {
    TextBuffer original("INSERT ARTICLE HERE");
    TextBuffer copy = original;
    copy.ReplaceAll("ARTICLE", "x");
    copy.ToLower();
    EXPECT_EQ(S(original), "INSERT ARTICLE HERE");
    EXPECT_EQ(S(copy), "insert x here");
}

TEST(TextBufferTest, EqualsIsExactAndCaseSensitive) {
    EXPECT_TRUE(TextBuffer(".php").Equals(".php"));
    EXPECT_FALSE(TextBuffer(".php").Equals(".PHP"));
    EXPECT_FALSE(TextBuffer(".php").Equals(".ph"));
}

struct FindCase {
    const char* name;
    const char* text;
    const char* pattern;
    std::int32_t start;
    std::int32_t expected;
};

void PrintTo(const FindCase& c, std::ostream* out) { *out << c.name; }

class FindFromTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindFromTest, FindsTheFirstOccurrenceAtOrAfterStart) {
    const FindCase& c = GetParam();
    EXPECT_EQ(TextBuffer(c.text).FindFrom(c.pattern, c.start), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindFromTest,
                         ::testing::Values(FindCase{"at the start", "abcabc", "abc", 0, 0},
                                           FindCase{"after the start", "abcabc", "abc", 1, 3},
                                           FindCase{"at a later start", "abcabc", "abc", 3, 3},
                                           FindCase{"none after the start", "abcabc", "abc", 4, -1},
                                           FindCase{"start at the length", "abc", "c", 3, -1},  // no candidate
                                           FindCase{"start past the end", "abc", "c", 4, -1},
                                           FindCase{"pattern longer than the text", "abc", "abcd", 0, -1},
                                           FindCase{"other case", "insert article here", "INSERT ARTICLE HERE", 0, -1}),
                         testing::ByCaseName());

TEST(TextBufferTest, FindIsFindFromZero) {
    EXPECT_EQ(TextBuffer("xxhttp://").Find("http://"), 2);
    EXPECT_EQ(TextBuffer("").Find("a"), -1);
}

struct ReplaceCase {
    const char* name;
    const char* text;
    const char* oldText;
    const char* newText;
    std::int32_t count;
    const char* result;
};

void PrintTo(const ReplaceCase& c, std::ostream* out) { *out << c.name; }

class ReplaceAllTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceAllTest, ReplacesEachNonOverlappingOccurrenceOnce) {
    const ReplaceCase& c = GetParam();
    TextBuffer text(c.text);
    EXPECT_EQ(text.ReplaceAll(c.oldText, c.newText), c.count);
    EXPECT_EQ(S(text), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceAllTest,
    ::testing::Values(ReplaceCase{"no overlap", "aaa", "aa", "b", 1, "ba"},
                      ReplaceCase{"inserted text never searched", "xx", "x", "yx", 2, "yxyx"},
                      ReplaceCase{"empty old text", "abc", "", "z", 0, "abc"},
                      ReplaceCase{"nothing found", "abc", "d", "z", 0, "abc"},
                      ReplaceCase{"line breaks", "a\r\nb\r\n", "\r\n", "<br>\r\n", 2, "a<br>\r\nb<br>\r\n"},
                      ReplaceCase{"old text inside the new", "MARK", "MARK", "<!--MARK-->", 1, "<!--MARK-->"},
                      ReplaceCase{"empty new text", "abab", "ab", "", 2, ""},
                      ReplaceCase{"empty text", "", "a", "b", 0, ""}),
    testing::ByCaseName());

struct CutCase {
    const char* name;
    TextBuffer result;
    const char* expected;
};

TEST(TextBufferTest, CutsClampTheirArguments) {
    const TextBuffer five("abcde");
    // AppendMid adds to a text what Mid gives, with the same clamping.
    const auto appended = [&](std::int32_t first, std::int32_t count) {
        TextBuffer text("x");
        text.AppendMid(five, first, count);
        return text;
    };
    const CutCase cases[] = {
        {"Left negative", five.Left(-1), ""},
        {"Left 0", five.Left(0), ""},
        {"Left 2", five.Left(2), "ab"},
        {"Left beyond", five.Left(9), "abcde"},
        {"Right negative", five.Right(-3), ""},
        {"Right 0", five.Right(0), ""},
        {"Right 2", five.Right(2), "de"},
        {"Right beyond", five.Right(5), "abcde"},
        {"Mid 2,100", five.Mid(2, 100), "cde"},
        {"Mid 7,1", five.Mid(7, 1), ""},
        {"Mid 5,1", five.Mid(5, 1), ""},
        {"Mid -2,2", five.Mid(-2, 2), "ab"},
        {"Mid 1,-1", five.Mid(1, -1), ""},
        {"Mid 1,3", five.Mid(1, 3), "bcd"},
        {"AppendMid 1,3", appended(1, 3), "xbcd"},
        {"AppendMid 3,largest", appended(3, 2147483647), "xde"},
        {"AppendMid 6,1", appended(6, 1), "x"},
        {"AppendMid -1,-1", appended(-1, -1), "x"},
        {"AppendMid 0,5", appended(0, 5), "xabcde"},
    };
    for (const CutCase& c : cases) EXPECT_EQ(S(c.result), c.expected) << c.name;
}

TEST(TextBufferTest, FormatFollowsThePrintfRulesInUse) {
    struct Case {
        TextBuffer result;
        const char* expected;
    };
    const Case cases[] = {
        {TextBuffer::Formatted("article%04d", {1}), "article0001"},
        {TextBuffer::Formatted("article%04d", {0}), "article0000"},
        {TextBuffer::Formatted("article%04d", {123456}), "article123456"},
        {TextBuffer::Formatted("article%04d", {-1}), "article-001"},
        {TextBuffer::Formatted("article%04d", {-2147483647 - 1}), "article-2147483648"},
        {TextBuffer::Formatted("%d. %s", {7, "Title"}), "7. Title"},
        {TextBuffer::Formatted("%s", {"100% <b>&\"'"}), "100% <b>&\"'"},
        {TextBuffer::Formatted("%s Files (*%s)|*%s||", {".asp", ".asp", ".asp"}), ".asp Files (*.asp)|*.asp||"},
        {TextBuffer::Formatted("a|b\r\nc%%", {}), "a|b\r\nc%"},
        {TextBuffer::Formatted("%s and %s", {"one"}), "one and "},  // a missing value is empty
        {TextBuffer::Formatted("%x%", {5}), "%x%"},                  // not ours: copied
    };
    for (const Case& c : cases) EXPECT_EQ(S(c.result), c.expected);
}

TEST(TextBufferTest, FormatMayUseTheBufferItselfAsAValue) {
    TextBuffer text("abc");
    text.Format("[%s]", {text});
    EXPECT_EQ(S(text), "[abc]");
}

TEST(TextBufferTest, FindLastFindsTheLastByte) {
    EXPECT_EQ(TextBuffer("a/b/c").FindLast('/'), 3);
    EXPECT_EQ(TextBuffer("abc").FindLast('/'), -1);
    EXPECT_EQ(TextBuffer("").FindLast('/'), -1);
}

TEST(TextBufferTest, ToLowerInTheWesternPage) {
    ScopedCodePage page(CodePageKind::SingleByte);
    TextBuffer text("ABC xyz \xC0\xC9\xDE\xD7\xDF \x8A\x9F 09");
    text.ToLower();
    EXPECT_EQ(S(text), "abc xyz \xE0\xE9\xFE\xD7\xDF \x9A\xFF 09");
}

TEST(TextBufferTest, ToLowerInUtf8) {
    ScopedCodePage page(CodePageKind::Utf8);
    TextBuffer text("TEMPLATE \xC3\x80\xC3\x89 \xC3\x97 \xCE\x91 \xD0\x96 \xD0\x81 \xEF\xBC\xA1 \xE2\x82\xAC \xFF\xC3");
    text.ToLower();
    // A grave, E acute, the multiplication sign unchanged, alpha, zhe, io, full-width a,
    // the euro sign unchanged, and the malformed bytes unchanged.
    EXPECT_EQ(S(text), "template \xC3\xA0\xC3\xA9 \xC3\x97 \xCE\xB1 \xD0\xB6 \xD1\x91 \xEF\xBD\x81 \xE2\x82\xAC \xFF\xC3");
}

// In code page 932 "\x83\x5C" is one character whose trail byte is the backslash, and
// "\x82\x60" is full-width A, whose trail byte is a capital A.
TEST(TextBufferTest, DoubleByteCharactersAreNeverSplit) {
    ScopedCodePage page(CodePageKind::DoubleByte);
    const TextBuffer text("\x83\x5C" "A\\\x82\x60" "A");
    EXPECT_EQ(text.FindLast('\\'), 3);              // the trail byte at 1 is no backslash
    EXPECT_EQ(TextBuffer("\x83\x5C").FindLast('\\'), -1);
    EXPECT_EQ(text.Find("\\"), 3);
    EXPECT_EQ(text.Find("`A"), -1);                 // would begin on the trail byte of full-width A
    EXPECT_EQ(text.Find("A"), 2);
    EXPECT_EQ(text.FindFrom("A", 3), 6);

    TextBuffer replaced = text;
    EXPECT_EQ(replaced.ReplaceAll("\\", "/"), 1);
    EXPECT_EQ(S(replaced), "\x83\x5C" "A/\x82\x60" "A");

    TextBuffer lowered = text;
    lowered.ToLower();
    EXPECT_EQ(S(lowered), "\x83\x5C" "a\\\x82\x81" "a");  // full-width A becomes full-width a
}

// Each double-byte page with its own lead bytes. In 936, 949 and 950 "\xA4\x5C", "\xB0\x41" and
// "\xD5\x5C" are characters whose trail bytes are a backslash or a capital A; in 932 those lead
// bytes are single-byte characters of their own, and "\x82\x60" is full-width A.
TEST(TextBufferTest, EachDoubleBytePageKeepsItsCharactersWhole) {
    const TextBuffer text("\xA4\x5C" "\xB0\x41" "\\" "\x82\x60" "\xD5\x5C");
    struct Case {
        const char* name;
        CodePage page;
        std::int32_t lastBackslash;
        std::int32_t firstBackslash;
        std::int32_t backslashFrom5;
        std::int32_t firstA;
        std::int32_t backslashes;
        const char* lowered;
    };
    const char* const unchanged = "\xA4\x5C\xB0\x41\\\x82\x60\xD5\x5C";
    const Case cases[] = {
        {"932", CodePage(CodePageKind::DoubleByte), 8, 1, 8, 3, 3, "\xA4\x5C\xB0" "a\\\x82\x81\xD5\x5C"},
        {"936", testing::WideDoubleBytePage(936), 4, 4, -1, -1, 1, unchanged},
        {"949", testing::WideDoubleBytePage(949), 4, 4, -1, -1, 1, unchanged},
        {"950", testing::WideDoubleBytePage(950), 4, 4, -1, -1, 1, unchanged},
    };
    for (const Case& c : cases) {
        ScopedCodePage page(c.page);
        EXPECT_EQ(text.FindLast('\\'), c.lastBackslash) << c.name;
        EXPECT_EQ(text.Find("\\"), c.firstBackslash) << c.name;
        EXPECT_EQ(text.FindFrom("\\", 5), c.backslashFrom5) << c.name;
        EXPECT_EQ(text.Find("A"), c.firstA) << c.name;
        TextBuffer replaced = text;
        EXPECT_EQ(replaced.ReplaceAll("\\", "/"), c.backslashes) << c.name;
        TextBuffer lowered = text;
        lowered.ToLower();
        EXPECT_EQ(S(lowered), c.lowered) << c.name;
    }
}

TEST(TextBufferTest, Utf8MatchesBeginOnCharacterBoundaries) {
    ScopedCodePage page(CodePageKind::Utf8);
    const TextBuffer text("\xC3\xA9\xA9x");  // e acute, then a stray continuation byte, then x
    EXPECT_EQ(text.Find("\xA9"), 2);          // the stray byte is a character; the one at 1 is not
    EXPECT_EQ(text.FindLast('x'), 3);
}

TEST(TextBufferTest, LongRunsOfLeadBytesUnderEveryCodePage) {
    // Megabytes of lead bytes before the pattern: every character boundary is walked once.
    for (CodePageKind kind : {CodePageKind::SingleByte, CodePageKind::DoubleByte, CodePageKind::Utf8}) {
        ScopedCodePage page(kind);
        std::string bytes(4 << 20, '\x81');
        bytes += "INSERT";
        TextBuffer text(bytes);
        EXPECT_EQ(text.Find("INSERT"), 4 << 20);
        EXPECT_EQ(text.ReplaceAll("\x81\x81", "a"), 2 << 20);
    }
}

// Overlong forms, surrogates and code points above U+10FFFF are malformed: each of their bytes
// is a character of its own, so a search finds a byte inside them, as in any malformed run.
TEST(TextBufferTest, Utf8MalformedSequencesCountByteByByte) {
    ScopedCodePage page(CodePageKind::Utf8);
    struct Case {
        const char* name;
        const char* text;
        const char* pattern;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"overlong three bytes", "\xE0\x80\x80", "\x80", 1},
        {"overlong four bytes", "\xF0\x80\x80\x80", "\x80\x80", 1},
        {"surrogate", "\xED\xA0\x80", "\xA0", 1},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\x90", 1},
        {"well-formed U+0800", "\xE0\xA0\x80", "\xA0", -1},
        {"well-formed U+D7FF", "\xED\x9F\xBF", "\xBF", -1},
        {"well-formed U+10000", "\xF0\x90\x80\x80", "\x80", -1},
        {"well-formed U+10FFFF", "\xF4\x8F\xBF\xBF", "\xBF", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(TextBuffer(c.text).Find(c.pattern), c.expected) << c.name;
}

TEST(TextBufferTest, ToLowerLeavesCapitalIWithDotAlone) {
    ScopedCodePage page(CodePageKind::Utf8);
    TextBuffer text("\xC4\xB0 \xC4\xAE \xC4\xB2");  // I with dot, I with ogonek, ligature IJ
    text.ToLower();
    // Its lower-case form is the one-byte i, so it cannot be lowered in place; it is not the
    // dotless i (U+0131) that follows it in the table.
    EXPECT_EQ(S(text), "\xC4\xB0 \xC4\xAF \xC4\xB3");
}

// An occurrence may end inside a character (a pattern ending in a lead byte); the scan goes on
// with the character boundaries of the whole text, never taking a trail byte for a start.
TEST(TextBufferTest, ReplaceAllResumesOnTheTextsOwnCharacterBoundaries) {
    struct Case {
        const char* name;
        CodePageKind kind;
        const char* text;
        const char* oldText;
        std::int32_t count;
        const char* result;
    };
    const Case cases[] = {
        {"lead byte before a lead byte", CodePageKind::DoubleByte, "\x82\xE0\x82", "\x82", 2, "x\xE0x"},
        {"lead byte before its trail", CodePageKind::DoubleByte, "\x82\x82\x82\x60", "\x82", 2, "x\x82x\x60"},
        {"UTF-8 continuation inside a character", CodePageKind::Utf8, "\xA9\xC3\xA9\xC3\xA9", "\xA9\xC3", 1,
         "x\xA9\xC3\xA9"},
    };
    for (const Case& c : cases) {
        ScopedCodePage page(c.kind);
        TextBuffer text(c.text);
        EXPECT_EQ(text.ReplaceAll(c.oldText, "x"), c.count) << c.name;
        EXPECT_EQ(S(text), c.result) << c.name;
    }
}

}  // namespace
}  // namespace quillora
