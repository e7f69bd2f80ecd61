#include "engine/CodePage.h"

#include <atomic>

#include "engine/AsciiCase.h"

namespace quillora {
namespace {

constexpr std::uint32_t kWestern = 1252;
constexpr std::uint32_t kJapanese = 932;
constexpr std::uint32_t kUtf8 = 65001;

constexpr ByteRange kJapaneseLeadBytes[] = {{0x81, 0x9F}, {0xE0, 0xFC}};

// The active page. Each part is atomic, so that reading it never races with SetActive. The
// parts are not set together: the composition roots set the page before any text is handled.
struct ActivePage {
    std::atomic<CodePageKind> kind{CodePageKind::Utf8};
    std::atomic<std::uint32_t> number{kUtf8};
    std::array<std::atomic<std::uint32_t>, 8> leadBits{};
};
constinit ActivePage active;

unsigned char Byte(const char* bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

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
void LowerJapanese(unsigned char& lead, unsigned char& trail) {
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

CodePage::CodePage(CodePageKind kind) : CodePage(kind, kUtf8) {
    switch (kind) {
    case CodePageKind::SingleByte:
        *this = SingleByte(kWestern);
        break;
    case CodePageKind::DoubleByte:
        *this = DoubleByte(kJapanese, kJapaneseLeadBytes);
        break;
    case CodePageKind::Utf8:
        break;
    }
}

CodePage CodePage::SingleByte(std::uint32_t number) { return CodePage(CodePageKind::SingleByte, number); }

CodePage CodePage::DoubleByte(std::uint32_t number, std::span<const ByteRange> leadBytes) {
    CodePage page(CodePageKind::DoubleByte, number);
    for (const ByteRange& range : leadBytes) {
        for (unsigned b = range.first < 0x80 ? 0x80u : range.first; b <= range.last; ++b) {
            page.leadBits_[b >> 5] |= 1u << (b & 31u);
        }
    }
    return page;
}

CodePage CodePage::Active() {
    CodePage page(active.kind.load(std::memory_order_relaxed), active.number.load(std::memory_order_relaxed));
    for (std::size_t i = 0; i < page.leadBits_.size(); ++i) {
        page.leadBits_[i] = active.leadBits[i].load(std::memory_order_relaxed);
    }
    return page;
}

void CodePage::SetActive(const CodePage& page) {
    active.kind.store(page.kind_, std::memory_order_relaxed);
    active.number.store(page.number_, std::memory_order_relaxed);
    for (std::size_t i = 0; i < page.leadBits_.size(); ++i) {
        active.leadBits[i].store(page.leadBits_[i], std::memory_order_relaxed);
    }
}

std::size_t CodePage::CharLength(const char* bytes, std::size_t size, std::size_t at) const {
    unsigned char lead = Byte(bytes, at);
    if (lead < 0x80) return 1;
    switch (kind_) {
    case CodePageKind::SingleByte:
        return 1;
    case CodePageKind::DoubleByte:
        return (IsLeadByte(bytes[at]) && at + 1 < size) ? 2 : 1;
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

void CodePage::LowerChar(char* bytes, std::size_t charLength) const {
    auto* b = reinterpret_cast<unsigned char*>(bytes);
    switch (kind_) {
    case CodePageKind::SingleByte:
        b[0] = LowerWestern(b[0]);
        break;
    case CodePageKind::DoubleByte:
        // The case rules of the other double-byte pages are not known here: their double-byte
        // characters stay as they are.
        if (charLength == 1) {
            b[0] = LowerAscii(b[0]);
        } else if (number_ == kJapanese) {
            LowerJapanese(b[0], b[1]);
        }
        break;
    case CodePageKind::Utf8:
        LowerUtf8(bytes, charLength);
        break;
    }
}

}  // namespace quillora
