#include "engine/HexDigits.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(HexDigitsTest, DigitsAreLowerCaseAndReadInEitherCase) {
    EXPECT_STREQ(kHexDigits, "0123456789abcdef");
    for (int value = 0; value < 16; ++value) {
        EXPECT_EQ(HexDigitValue(kHexDigits[value]), value);
        const char upper = kHexDigits[value] >= 'a' ? static_cast<char>(kHexDigits[value] - 'a' + 'A') : kHexDigits[value];
        EXPECT_EQ(HexDigitValue(upper), value);
    }
    for (char other : {'g', 'G', 'x', ' ', '/', ':', '@', '`', '\0', '\xC0'}) EXPECT_EQ(HexDigitValue(other), -1) << other;
}

}  // namespace
}  // namespace quillora
