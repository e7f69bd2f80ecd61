#include "engine/CodePage.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/CodePages.h"

namespace quillora {
namespace {

using testing::WideDoubleBytePage;

// Which bytes lead a two-byte character, for every byte value.
TEST(CodePageTest, EachPageHasItsOwnLeadBytes) {
    static constexpr ByteRange kJohab[] = {{0x84, 0xD3}, {0xD8, 0xDE}, {0xE0, 0xF9}};
    static constexpr ByteRange kReachingIntoAscii[] = {{0x40, 0x82}, {0xFF, 0xFF}};
    struct Case {
        const char* name;
        CodePage page;
        std::function<bool(unsigned)> isLead;
    };
    const Case cases[] = {
        {"932, the double-byte default", CodePage(CodePageKind::DoubleByte),
         [](unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }},
        {"936", WideDoubleBytePage(936), [](unsigned b) { return b >= 0x81 && b <= 0xFE; }},
        {"1361 in three ranges", CodePage::DoubleByte(1361, kJohab),
         [](unsigned b) { return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9); }},
        {"bytes below 0x80 are never lead bytes", CodePage::DoubleByte(1, kReachingIntoAscii),
         [](unsigned b) { return (b >= 0x80 && b <= 0x82) || b == 0xFF; }},
        {"single-byte", CodePage(CodePageKind::SingleByte), [](unsigned) { return false; }},
        {"UTF-8", CodePage(CodePageKind::Utf8), [](unsigned) { return false; }},
    };
    for (const Case& c : cases) {
        for (unsigned b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            EXPECT_EQ(c.page.IsLeadByte(byte), c.isLead(b)) << c.name << ", byte " << b;
            if (c.page.Kind() == CodePageKind::DoubleByte) {
                const std::string pair{byte, '\x5C'};
                EXPECT_EQ(c.page.CharLength(pair.data(), 2, 0), c.isLead(b) ? 2u : 1u) << c.name << ", byte " << b;
                EXPECT_EQ(c.page.CharLength(pair.data(), 1, 0), 1u) << c.name << ": a lead byte at the end stands alone";
            }
        }
    }
}

TEST(CodePageTest, TheUsualPageOfEachKind) {
    EXPECT_EQ(CodePage(CodePageKind::SingleByte).Number(), 1252u);
    EXPECT_EQ(CodePage(CodePageKind::DoubleByte).Number(), 932u);
    EXPECT_EQ(CodePage(CodePageKind::Utf8).Number(), 65001u);
    EXPECT_EQ(CodePage().Kind(), CodePageKind::Utf8);
    EXPECT_EQ(CodePage::SingleByte(1251).Number(), 1251u);
    EXPECT_EQ(CodePage::SingleByte(1251).Kind(), CodePageKind::SingleByte);
}

// 932 has rules for its full-width letters; the case rules of the other double-byte pages are
// not known here, so their double-byte characters stay, even where 932 would change them or
// their trail byte is a capital.
TEST(CodePageTest, OnlyPage932LowersDoubleByteCharacters) {
    struct Case {
        const char* name;
        CodePage page;
        const char* character;
        const char* lowered;
    };
    const Case cases[] = {
        {"932 full-width A", CodePage(CodePageKind::DoubleByte), "\x82\x60", "\x82\x81"},
        {"932 Greek alpha", CodePage(CodePageKind::DoubleByte), "\x83\x9F", "\x83\xBF"},
        {"932 Cyrillic capital after the gap at 0x7F", CodePage(CodePageKind::DoubleByte), "\x84\x4F", "\x84\x80"},
        {"932 capital as a trail byte", CodePage(CodePageKind::DoubleByte), "\x83\x41", "\x83\x41"},
        {"936 bytes of 932's full-width A", WideDoubleBytePage(936), "\x82\x60", "\x82\x60"},
        {"936 full-width A", WideDoubleBytePage(936), "\xA3\xC1", "\xA3\xC1"},
        {"949 capital as a trail byte", WideDoubleBytePage(949), "\xB0\x41", "\xB0\x41"},
        {"950 capital as a trail byte", WideDoubleBytePage(950), "\xA4\x41", "\xA4\x41"},
        {"936 A to Z", WideDoubleBytePage(936), "Z", "z"},
        {"936 single byte 0x80", WideDoubleBytePage(936), "\x80", "\x80"},
    };
    for (const Case& c : cases) {
        std::string bytes = c.character;
        c.page.LowerChar(bytes.data(), bytes.size());
        EXPECT_EQ(bytes, c.lowered) << c.name;
    }
}

TEST(CodePageTest, TheActivePageCarriesItsLeadBytes) {
    const CodePage before = CodePage::Active();
    {
        ScopedCodePage page(WideDoubleBytePage(950));
        const CodePage active = CodePage::Active();
        EXPECT_EQ(active.Kind(), CodePageKind::DoubleByte);
        EXPECT_EQ(active.Number(), 950u);
        EXPECT_TRUE(active.IsLeadByte('\xA4'));
        EXPECT_TRUE(active.IsLeadByte('\xFE'));
        EXPECT_FALSE(active.IsLeadByte('\xFF'));
        {
            ScopedCodePage inner(CodePageKind::DoubleByte);
            EXPECT_EQ(CodePage::Active().Number(), 932u);
            EXPECT_FALSE(CodePage::Active().IsLeadByte('\xA4'));
        }
        EXPECT_TRUE(CodePage::Active().IsLeadByte('\xA4')) << "the former page comes back with its lead bytes";
        EXPECT_EQ(CodePage::Active().Number(), 950u);
    }
    EXPECT_EQ(CodePage::Active().Kind(), before.Kind());
    EXPECT_EQ(CodePage::Active().Number(), before.Number());
}

}  // namespace
}  // namespace quillora
