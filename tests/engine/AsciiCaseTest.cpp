#include "engine/AsciiCase.h"

#include <gtest/gtest.h>

#include <string>

namespace quillora {
namespace {

TEST(AsciiCaseTest, LowersOnlyTheLettersAToZ) {
    EXPECT_EQ(LoweredAscii("HKEY_Current_USER\\Software @[`{"), "hkey_current_user\\software @[`{");
    // Latin-1 and UTF-8 capitals, and the bytes around A and Z, stay as they are.
    const std::string others("\xC9\xC3\x89\xCE\x91\x40\x5B\x60\x7B\xFF", 10);
    EXPECT_EQ(LoweredAscii(others), others);
    EXPECT_EQ(LowerAscii(static_cast<unsigned char>('Q')), 'q');
    EXPECT_EQ(LowerAscii(static_cast<unsigned char>(0xD0)), 0xD0);
}

TEST(AsciiCaseTest, ComparesAndMatchesHeadsWithoutRegardToCase) {
    EXPECT_TRUE(SameIgnoringAsciiCase("DWORD:", "dword:"));
    EXPECT_TRUE(SameIgnoringAsciiCase("", ""));
    EXPECT_FALSE(SameIgnoringAsciiCase("dword", "dword:"));
    EXPECT_FALSE(SameIgnoringAsciiCase("@", "`")) << "0x40 and 0x60 are no pair of letters";
    EXPECT_FALSE(SameIgnoringAsciiCase("\xC9", "\xE9")) << "Latin-1 letters are not ASCII";
    EXPECT_TRUE(StartsIgnoringAsciiCase("HEX(2):41", "hex("));
    EXPECT_TRUE(StartsIgnoringAsciiCase("hex", ""));
    EXPECT_FALSE(StartsIgnoringAsciiCase("he", "hex"));
    EXPECT_FALSE(StartsIgnoringAsciiCase("dword:1", "hex"));
}

}  // namespace
}  // namespace quillora
