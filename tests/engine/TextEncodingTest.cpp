#include "engine/TextEncoding.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cstdint>
#include <string>
#include <vector>

namespace quillora {
namespace {

// --- Code page 1252 ---

// The system's own table of code page 1252, as an independent reader: the byte for a code
// point, or -1 when it has none.
#ifdef _WIN32
class SystemWindows1252 {
public:
    bool Ready() const { return true; }
    // Unassigned bytes are the C1 controls of their number here, as in TextEncoding.
    static bool KnowsUnassignedBytes() { return true; }

    int ByteFor(char32_t codePoint) {
        wchar_t in[2];
        int units = 1;
        if (codePoint < 0x10000) {
            in[0] = static_cast<wchar_t>(codePoint);
        } else {
            in[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            in[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            units = 2;
        }
        char out[8];
        BOOL usedDefault = FALSE;
        const int length = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, in, units, out, sizeof out, nullptr, &usedDefault);
        return length == 1 && !usedDefault ? static_cast<unsigned char>(out[0]) : -1;
    }
};
#else
class SystemWindows1252 {
public:
    SystemWindows1252() : converter_(iconv_open("CP1252", "UTF-32LE")) {}
    ~SystemWindows1252() {
        if (Ready()) iconv_close(converter_);
    }
    bool Ready() const { return converter_ != reinterpret_cast<iconv_t>(-1); }
    // The C library leaves the unassigned bytes without a code point.
    static bool KnowsUnassignedBytes() { return false; }

    int ByteFor(char32_t codePoint) {
        char in[4];
        for (int i = 0; i < 4; ++i) in[i] = static_cast<char>((codePoint >> (8 * i)) & 0xFF);
        char out[8];
        char* inAt = in;
        char* outAt = out;
        std::size_t inLeft = sizeof in, outLeft = sizeof out;
        iconv(converter_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter_, &inAt, &inLeft, &outAt, &outLeft) == static_cast<std::size_t>(-1)) return -1;
        return outAt - out == 1 ? static_cast<unsigned char>(out[0]) : -1;
    }

private:
    iconv_t converter_;
};
#endif

// The bytes that code page 1252 leaves unassigned; Windows converts each to the C1 control of
// the same number and back.
const char32_t kUnassigned[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

bool IsUnassigned(char32_t codePoint) {
    for (char32_t unassigned : kUnassigned) {
        if (codePoint == unassigned) return true;
    }
    return false;
}

TEST(Windows1252, EncodesEveryCodePointAsTheSystemsTableDoes) {
    SystemWindows1252 system;
    ASSERT_TRUE(system.Ready()) << "the system has no table of code page 1252";
    int encodable = 0;
    for (char32_t codePoint = 0; codePoint <= 0x10FFFF; ++codePoint) {
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF) continue;
        if (codePoint >= 0x10000 && codePoint % 4099 != 0) continue;  // beyond the first plane: a sample
        std::string ours;
        const bool encoded = EncodeCharacter(TextEncoding::Windows1252, codePoint, ours);
        const bool unassigned = IsUnassigned(codePoint) && !SystemWindows1252::KnowsUnassignedBytes();
        const int expected = unassigned ? static_cast<int>(codePoint) : system.ByteFor(codePoint);
        ASSERT_EQ(encoded, expected >= 0) << std::hex << "U+" << static_cast<unsigned>(codePoint);
        if (!encoded) {
            EXPECT_EQ(ours, "") << "nothing is appended for a refused character";
            continue;
        }
        ++encodable;
        ASSERT_EQ(ours.size(), 1u);
        EXPECT_EQ(static_cast<unsigned char>(ours[0]), expected) << std::hex << "U+" << static_cast<unsigned>(codePoint);
    }
    EXPECT_EQ(encodable, 256) << "every byte is the form of exactly one code point";
}

TEST(Windows1252, EveryByteDecodesToTheCodePointThatEncodesBackToIt) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string bytes(1, static_cast<char>(byte));
        const EncodedCharacter character = DecodeCharacter(TextEncoding::Windows1252, bytes, 0);
        EXPECT_TRUE(character.valid);
        EXPECT_EQ(character.length, 1u);
        std::string again;
        ASSERT_TRUE(EncodeCharacter(TextEncoding::Windows1252, character.codePoint, again)) << byte;
        EXPECT_EQ(again, bytes);
    }
    struct Known {
        unsigned char byte;
        char32_t codePoint;
    };
    for (Known known : {Known{0x80, 0x20AC}, Known{0x9F, 0x0178}, Known{0x8A, 0x0160}, Known{0x81, 0x0081},
                        Known{0xA0, 0x00A0}, Known{0xE9, 0x00E9}, Known{0x41, 0x0041}}) {
        const std::string bytes(1, static_cast<char>(known.byte));
        EXPECT_EQ(static_cast<std::uint32_t>(DecodeCharacter(TextEncoding::Windows1252, bytes, 0).codePoint),
                  static_cast<std::uint32_t>(known.codePoint));
    }
}

// --- UTF-8 ---

struct Utf8Case {
    const char* what;
    std::string bytes;
    bool valid;
    char32_t codePoint;  // when valid
    std::size_t length;
};

TEST(Utf8, DecodesWellFormedSequencesAndTakesEveryOtherByteAlone) {
    const std::vector<Utf8Case> cases = {
        {"ASCII", "A", true, 0x41, 1},
        {"zero byte", std::string(1, '\0'), true, 0, 1},
        {"two bytes", "\xC3\xA9", true, 0xE9, 2},
        {"lowest two-byte", "\xC2\x80", true, 0x80, 2},
        {"three bytes", "\xE2\x82\xAC", true, 0x20AC, 3},
        {"highest three-byte", "\xEF\xBF\xBF", true, 0xFFFF, 3},
        {"four bytes", "\xF0\x9F\x98\x80", true, 0x1F600, 4},
        {"highest code point", "\xF4\x8F\xBF\xBF", true, 0x10FFFF, 4},
        {"lone continuation byte", "\x80", false, 0, 1},
        {"overlong two-byte", "\xC0\x80", false, 0, 1},
        {"overlong three-byte", "\xE0\x80\xAF", false, 0, 1},
        {"surrogate", "\xED\xA0\x80", false, 0, 1},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false, 0, 1},
        {"cut after its lead byte", "\xC3", false, 0, 1},
        {"cut inside", "\xE2\x82", false, 0, 1},
        {"ASCII where a continuation belongs", "\xE2\x82" "A", false, 0, 1},
        {"Latin-1 byte", "caf\xE9", true, 'c', 1},
    };
    for (const Utf8Case& test : cases) {
        SCOPED_TRACE(test.what);
        const EncodedCharacter character = DecodeCharacter(TextEncoding::Utf8, test.bytes, 0);
        EXPECT_EQ(character.valid, test.valid);
        EXPECT_EQ(character.length, test.length);
        if (test.valid) {
            EXPECT_EQ(static_cast<std::uint32_t>(character.codePoint), static_cast<std::uint32_t>(test.codePoint));
        }
    }
    // Inside a text: the character at a position, not the text's first.
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xFF";
    EXPECT_EQ(static_cast<std::uint32_t>(DecodeCharacter(TextEncoding::Utf8, text, 1).codePoint), 0xE9u);
    EXPECT_EQ(static_cast<std::uint32_t>(DecodeCharacter(TextEncoding::Utf8, text, 3).codePoint), 0x20ACu);
    EXPECT_FALSE(DecodeCharacter(TextEncoding::Utf8, text, 6).valid);
}

TEST(Utf8, EncodesEveryScalarValueSoThatItDecodesBack) {
    for (std::uint32_t codePoint : {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        std::string bytes = "x";
        ASSERT_TRUE(EncodeCharacter(TextEncoding::Utf8, codePoint, bytes)) << codePoint;
        const EncodedCharacter back = DecodeCharacter(TextEncoding::Utf8, bytes, 1);
        EXPECT_TRUE(back.valid) << codePoint;
        EXPECT_EQ(static_cast<std::uint32_t>(back.codePoint), codePoint);
        EXPECT_EQ(back.length, bytes.size() - 1);
    }
    for (std::uint32_t codePoint : {0xD800u, 0xDFFFu, 0x110000u}) {
        std::string bytes;
        EXPECT_FALSE(EncodeCharacter(TextEncoding::Utf8, codePoint, bytes)) << codePoint;
        EXPECT_EQ(bytes, "");
    }
}

}  // namespace
}  // namespace quillora
