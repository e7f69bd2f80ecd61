#include "engine/CodePage.h"

#include <atomic>

namespace quillora {
namespace {

std::atomic<CodePageKind> activeKind{CodePageKind::Utf8};

unsigned char Byte(const char* bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

bool IsDoubleByteLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

unsigned char LowerAscii(unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b; }

// Western European (1252) upper-case letters outside A to Z.
unsigned char LowerWestern(unsigned char b) {
    if ((b >= 0xC0 && b <= 0xDE && b != 0xD7)) return static_cast<unsigned char>(b + 0x20);
    switch (b) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return LowerAscii(b);
    }
}

// Code page 932 double-byte letters: full-width Latin, Greek and Cyrillic capitals.
void LowerDoubleByte(unsigned char& lead, unsigned char& trail) {
    if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) {
        trail = static_cast<unsigned char>(trail + 0x21);
    } else if (lead == 0x83 && trail >= 0x9F && trail <= 0xB6) {
        trail = static_cast<unsigned char>(trail + 0x20);
    } else if (lead == 0x84 && trail >= 0x40 && trail <= 0x60) {
        unsigned lower = 0x70u + (trail - 0x40u);
        if (lower >= 0x7F) ++lower;  // 0x7F is no trail byte
        trail = static_cast<unsigned char>(lower);
    }
}

// Lower-case form of a code point whose UTF-8 form has two bytes; the result has two bytes too.
char32_t LowerTwoByteCodePoint(char32_t cp) {
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
    if (cp == 0x130) return cp;  // capital I with dot: its lower-case form is the one-byte i
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return (cp % 2 == 0) ? cp + 1 : cp;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp % 2 == 1) ? cp + 1 : cp;
    if (cp == 0x178) return 0xFF;
    if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) return cp + 0x20;
    if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
    return cp;
}

void LowerUtf8(char* bytes, std::size_t charLength) {
    auto* b = reinterpret_cast<unsigned char*>(bytes);
    if (charLength == 1) {
        b[0] = LowerAscii(b[0]);
    } else if (charLength == 2) {
        char32_t cp = (static_cast<char32_t>(b[0] & 0x1F) << 6) | (b[1] & 0x3F);
        char32_t lower = LowerTwoByteCodePoint(cp);
        b[0] = static_cast<unsigned char>(0xC0 | (lower >> 6));
        b[1] = static_cast<unsigned char>(0x80 | (lower & 0x3F));
    } else if (charLength == 3 && b[0] == 0xEF && b[1] == 0xBC && b[2] >= 0xA1 && b[2] <= 0xBA) {
        // Full-width A to Z (U+FF21..U+FF3A) to full-width a to z (U+FF41..U+FF5A).
        b[1] = 0xBD;
        b[2] = static_cast<unsigned char>(b[2] - 0x20);
    }
}

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

}  // namespace

bool CodePage::IsLeadByte(CodePageKind kind, char byte) {
    return kind == CodePageKind::DoubleByte && IsDoubleByteLead(static_cast<unsigned char>(byte));
}

CodePageKind CodePage::Active() { return activeKind.load(std::memory_order_relaxed); }

void CodePage::SetActive(CodePageKind kind) { activeKind.store(kind, std::memory_order_relaxed); }

std::size_t CodePage::CharLength(CodePageKind kind, const char* bytes, std::size_t size, std::size_t at) {
    unsigned char lead = Byte(bytes, at);
    if (lead < 0x80) return 1;
    switch (kind) {
    case CodePageKind::SingleByte:
        return 1;
    case CodePageKind::DoubleByte:
        return (IsLeadByte(kind, bytes[at]) && at + 1 < size) ? 2 : 1;
    case CodePageKind::Utf8: {
        // A malformed sequence counts byte by byte, so every byte belongs to exactly one character.
        std::size_t length = Utf8SequenceLength(lead);
        if (at + length > size) return 1;
        for (std::size_t k = 1; k < length; ++k) {
            if (!IsContinuation(Byte(bytes, at + k))) return 1;
        }
        // Overlong forms, surrogates and code points above U+10FFFF are malformed as well.
        const unsigned char second = Byte(bytes, at + 1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second > 0x8F)) {
            return 1;
        }
        return length;
    }
    }
    return 1;
}

void CodePage::LowerChar(CodePageKind kind, char* bytes, std::size_t charLength) {
    auto* b = reinterpret_cast<unsigned char*>(bytes);
    switch (kind) {
    case CodePageKind::SingleByte:
        b[0] = LowerWestern(b[0]);
        break;
    case CodePageKind::DoubleByte:
        if (charLength == 2) {
            LowerDoubleByte(b[0], b[1]);
        } else {
            b[0] = LowerAscii(b[0]);
        }
        break;
    case CodePageKind::Utf8:
        LowerUtf8(bytes, charLength);
        break;
    }
}

}  // namespace quillora
