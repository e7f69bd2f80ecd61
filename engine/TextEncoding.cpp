#include "engine/TextEncoding.h"

#include <array>

#include "engine/CodePage.h"

namespace quillora {
namespace {

// Code page 1252 from 80 to 9F; every other byte is the code point of the same number. The
// unassigned bytes keep their own number.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char32_t Windows1252CodePoint(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kWindows1252High[byte - 0x80] : byte;
}

bool Windows1252Byte(char32_t codePoint, unsigned char& byte) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        byte = static_cast<unsigned char>(codePoint);
        return true;
    }
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == codePoint) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

EncodedCharacter DecodeUtf8(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) return {lead, 1, true};
    // The code page's own rule of what a well-formed sequence is.
    const std::size_t length = CodePage(CodePageKind::Utf8).CharLength(bytes.data(), bytes.size(), at);
    if (length == 1) return {lead, 1, false};
    const unsigned char leadBits[] = {0, 0, 0x1F, 0x0F, 0x07};
    char32_t codePoint = lead & leadBits[length];
    for (std::size_t k = 1; k < length; ++k) {
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(bytes[at + k]) & 0x3F);
    }
    return {codePoint, length, true};
}

bool AppendUtf8(char32_t codePoint, std::string& into) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    if (codePoint < 0x80) {
        into += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        into += static_cast<char>(0xC0 | (codePoint >> 6));
        into += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        into += static_cast<char>(0xE0 | (codePoint >> 12));
        into += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        into += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        into += static_cast<char>(0xF0 | (codePoint >> 18));
        into += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        into += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        into += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return true;
}

}  // namespace

EncodedCharacter DecodeCharacter(TextEncoding encoding, std::string_view bytes, std::size_t at) {
    if (encoding == TextEncoding::Utf8) return DecodeUtf8(bytes, at);
    return {Windows1252CodePoint(static_cast<unsigned char>(bytes[at])), 1, true};
}

bool EncodeCharacter(TextEncoding encoding, char32_t codePoint, std::string& into) {
    if (encoding == TextEncoding::Utf8) return AppendUtf8(codePoint, into);
    unsigned char byte = 0;
    if (!Windows1252Byte(codePoint, byte)) return false;
    into += static_cast<char>(byte);
    return true;
}

}  // namespace quillora
