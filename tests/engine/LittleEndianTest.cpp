#include "engine/LittleEndian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace quillora {
namespace {

TEST(LittleEndianTest, WordsRoundTripLeastSignificantByteFirst) {
    EXPECT_EQ(LittleEndian32(0x12345678u), std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(LittleEndian32(0u), std::string(4, '\0'));
    EXPECT_EQ(LittleEndian32(static_cast<std::uint32_t>(-42)), std::string("\xD6\xFF\xFF\xFF", 4));
    for (std::uint32_t word : {0u, 1u, 0x80u, 0xFFu, 0x100u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(ReadLittleEndian32(LittleEndian32(word).data()), word) << word;
    }
}

TEST(LittleEndianTest, ShortDataGivesTheLowBytesAndIsNeverSignExtended) {
    const std::string bytes("\xFF\x80\x01\x02", 4);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 0), 0u);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 1), 0xFFu);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 2), 0x80FFu);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 3), 0x0180FFu);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 4), 0x020180FFu);
    EXPECT_EQ(ReadLittleEndian32(bytes.data(), 9), 0x020180FFu) << "never more than four bytes";
}

TEST(LittleEndianTest, ReadsAndWritesEveryKindOfByte) {
    std::array<unsigned char, 6> bytes{};
    WriteLittleEndian32(0xA1B2C3D4u, &bytes[1]);
    EXPECT_EQ(bytes, (std::array<unsigned char, 6>{0x00, 0xD4, 0xC3, 0xB2, 0xA1, 0x00}));
    const volatile unsigned char* view = bytes.data();
    EXPECT_EQ(ReadLittleEndian32(view + 1), 0xA1B2C3D4u);
    static_assert(ReadLittleEndian32("\x01\x02\x03\x04") == 0x04030201u);
}

}  // namespace
}  // namespace quillora
