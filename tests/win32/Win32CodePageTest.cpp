// Each Windows ANSI code page as the system describes it.
#include "adapters/win32/Win32CodePage.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

namespace quillora {
namespace {

bool None(unsigned) { return false; }
bool Japanese(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool ChineseOrKorean(unsigned b) { return b >= 0x81 && b <= 0xFE; }
bool Johab(unsigned b) { return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9); }

TEST(Win32CodePage, EachPageHasItsKindAndLeadBytes) {
    struct Case {
        unsigned codePage;
        CodePageKind kind;
        std::function<bool(unsigned)> isLead;
    };
    const Case cases[] = {
        {1252, CodePageKind::SingleByte, None},       {1250, CodePageKind::SingleByte, None},
        {1251, CodePageKind::SingleByte, None},       {1253, CodePageKind::SingleByte, None},
        {874, CodePageKind::SingleByte, None},        {437, CodePageKind::SingleByte, None},
        {932, CodePageKind::DoubleByte, Japanese},    {936, CodePageKind::DoubleByte, ChineseOrKorean},
        {949, CodePageKind::DoubleByte, ChineseOrKorean}, {950, CodePageKind::DoubleByte, ChineseOrKorean},
        {1361, CodePageKind::DoubleByte, Johab},      {65001, CodePageKind::Utf8, None},
    };
    for (const Case& c : cases) {
        const CodePage page = Win32CodePage::Of(c.codePage);
        EXPECT_EQ(page.Kind(), c.kind) << c.codePage;
        EXPECT_EQ(page.Number(), c.codePage);
        for (unsigned b = 0; b < 256; ++b) {
            EXPECT_EQ(page.IsLeadByte(static_cast<char>(b)), c.isLead(b)) << c.codePage << ", byte " << b;
            // The system's own test of a lead byte, asked byte by byte.
            if (c.kind != CodePageKind::Utf8) {
                EXPECT_EQ(page.IsLeadByte(static_cast<char>(b)),
                          IsDBCSLeadByteEx(c.codePage, static_cast<BYTE>(b)) != FALSE)
                    << c.codePage << ", byte " << b;
            }
        }
    }
}

TEST(Win32CodePage, APageTheSystemDoesNotKnowHasOneBytePerCharacter) {
    const CodePage page = Win32CodePage::Of(12345);
    EXPECT_EQ(page.Kind(), CodePageKind::SingleByte);
    EXPECT_EQ(page.Number(), 12345u);
}

}  // namespace
}  // namespace quillora
