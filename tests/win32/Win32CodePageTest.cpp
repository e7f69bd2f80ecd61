// The kind of text each Windows ANSI code page holds.
#include "adapters/win32/Win32CodePage.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(Win32CodePage, EachPageHasItsKind) {
    struct Case {
        unsigned codePage;
        CodePageKind kind;
    };
    const Case cases[] = {
        {1252, CodePageKind::SingleByte}, {1250, CodePageKind::SingleByte}, {1251, CodePageKind::SingleByte},
        {1253, CodePageKind::SingleByte}, {874, CodePageKind::SingleByte},  {437, CodePageKind::SingleByte},
        {932, CodePageKind::DoubleByte},  {936, CodePageKind::DoubleByte},  {949, CodePageKind::DoubleByte},
        {950, CodePageKind::DoubleByte},  {1361, CodePageKind::DoubleByte}, {65001, CodePageKind::Utf8},
    };
    for (const Case& c : cases) EXPECT_EQ(Win32CodePage::KindOf(c.codePage), c.kind) << c.codePage;
}

}  // namespace
}  // namespace quillora
