#pragma once

// A plain model of the text rules for the fuzz targets to compare the real code against.
// It is written for clarity, not speed: every search recomputes the character boundaries of
// the whole text from its first byte, and lowercasing goes through Unicode and the C library.

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CodePage.h"
#include "support/CodePages.h"

namespace quillora::fuzz {

// Stops the run with a message; libFuzzer saves the input that got here.
[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "\nMISMATCH: %s\n%s\n", what, detail.c_str());
    std::abort();
}

inline void Expect(bool condition, const char* what, const std::string& detail) {
    if (!condition) Fail(what, detail);
}

// The input cut at its zero bytes into parts texts; missing parts are empty.
inline std::vector<std::string> Split(std::string_view rest, std::size_t parts) {
    std::vector<std::string> out;
    while (out.size() + 1 < parts) {
        auto zero = rest.find('\0');
        if (zero == std::string_view::npos) break;
        out.emplace_back(rest.substr(0, zero));
        rest.remove_prefix(zero + 1);
    }
    out.emplace_back(rest.substr(0, rest.find('\0')));
    out.resize(parts);
    return out;
}

inline std::string Show(std::string_view bytes) {
    std::string shown = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    return shown + "\"";
}

// The code pages that the targets run under: the usual page of each kind, and a double-byte
// page with the lead bytes of the Chinese and Korean pages (0x81 to 0xFE), whose double-byte
// characters keep their case.
enum class ModelPage { Western, Japanese, Wide, Utf8 };

inline const char* NameOf(ModelPage page) {
    switch (page) {
    case ModelPage::Western: return "single-byte";
    case ModelPage::Japanese: return "double-byte (932)";
    case ModelPage::Wide: return "double-byte (lead bytes 0x81 to 0xFE)";
    case ModelPage::Utf8: return "UTF-8";
    }
    return "?";
}

// The first byte of an input: its value modulo 3 picks the kind; a double-byte kind with bit
// 0x20 set takes the wider lead bytes.
inline ModelPage PageFromByte(std::uint8_t byte) {
    static const ModelPage pages[] = {ModelPage::Western, ModelPage::Japanese, ModelPage::Utf8};
    const ModelPage page = pages[byte % 3];
    return page == ModelPage::Japanese && (byte & 0x20) != 0 ? ModelPage::Wide : page;
}

// The engine's code page for a page of the model.
inline CodePage EnginePage(ModelPage page) {
    switch (page) {
    case ModelPage::Western: return CodePage(CodePageKind::SingleByte);
    case ModelPage::Japanese: return CodePage(CodePageKind::DoubleByte);
    case ModelPage::Wide: return testing::WideDoubleBytePage();
    case ModelPage::Utf8: return CodePage(CodePageKind::Utf8);
    }
    return CodePage();
}

class ReferenceText {
public:
    explicit ReferenceText(ModelPage page) : page_(page) {
        // The case mapping of the C library's Unicode locale serves as the model's.
        static const bool unicode = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
        if (!unicode) Fail("model", "the C.UTF-8 locale is not available");
    }

    // The length of every character, in order, covering every byte exactly once.
    std::vector<std::size_t> Characters(std::string_view s) const {
        std::vector<std::size_t> lengths;
        for (std::size_t at = 0; at < s.size();) {
            std::size_t length = CharacterAt(s, at);
            lengths.push_back(length);
            at += length;
        }
        return lengths;
    }

    // starts[i] is true when a character begins at byte i; starts[size] is true.
    std::vector<bool> Starts(std::string_view s) const {
        std::vector<bool> starts(s.size() + 1, false);
        std::size_t at = 0;
        for (std::size_t length : Characters(s)) {
            starts[at] = true;
            at += length;
        }
        starts[s.size()] = true;
        return starts;
    }

    std::int32_t FindFrom(std::string_view s, std::string_view pattern, std::int64_t start) const {
        return FindFrom(s, Starts(s), pattern, start);
    }
    static std::int32_t FindFrom(std::string_view s, const std::vector<bool>& starts, std::string_view pattern,
                                 std::int64_t start) {
        if (start > static_cast<std::int64_t>(s.size())) return -1;
        for (std::size_t p = static_cast<std::size_t>(start); p + pattern.size() <= s.size(); ++p) {
            if (starts[p] && s.substr(p, pattern.size()) == pattern) return static_cast<std::int32_t>(p);
        }
        return -1;
    }

    std::int32_t FindLast(std::string_view s, char byte) const {
        std::int32_t last = -1;
        std::size_t at = 0;
        for (std::size_t length : Characters(s)) {
            if (length == 1 && s[at] == byte) last = static_cast<std::int32_t>(at);
            at += length;
        }
        return last;
    }

    // Every counted occurrence replaced once; the scan resumes right after each occurrence,
    // with the character boundaries of the text as it was before the call.
    std::int32_t ReplaceAll(std::string& s, std::string_view oldText, std::string_view newText) const {
        if (oldText.empty()) return 0;
        const std::vector<bool> starts = Starts(s);
        std::vector<std::size_t> found;
        for (std::int32_t p = FindFrom(s, starts, oldText, 0); p != -1;
             p = FindFrom(s, starts, oldText, static_cast<std::int64_t>(p) + static_cast<std::int64_t>(oldText.size()))) {
            found.push_back(static_cast<std::size_t>(p));
        }
        if (found.empty()) return 0;
        std::string result;
        std::size_t copied = 0;
        for (std::size_t p : found) {
            result += s.substr(copied, p - copied);
            result += newText;
            copied = p + oldText.size();
        }
        result += s.substr(copied);
        s = result;
        return static_cast<std::int32_t>(found.size());
    }

    static std::string Left(const std::string& s, std::int64_t n) {
        if (n < 0) n = 0;
        if (n >= static_cast<std::int64_t>(s.size())) return s;
        return s.substr(0, static_cast<std::size_t>(n));
    }
    static std::string Right(const std::string& s, std::int64_t n) {
        if (n < 0) n = 0;
        if (n >= static_cast<std::int64_t>(s.size())) return s;
        return s.substr(s.size() - static_cast<std::size_t>(n));
    }
    static std::string Mid(const std::string& s, std::int64_t first, std::int64_t count) {
        const auto length = static_cast<std::int64_t>(s.size());
        if (first < 0) first = 0;
        if (count < 0) count = 0;
        if (first > length) count = 0;
        else if (first + count > length) count = length - first;
        if (count == 0) return std::string();
        return s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
    }

    void ToLower(std::string& s) const {
        std::size_t at = 0;
        for (std::size_t length : Characters(s)) {
            std::string lowered = LowerCharacter(s.substr(at, length));
            if (lowered.size() != length) Fail("model", "lowercase changed a character's length");
            s.replace(at, length, lowered);
            at += length;
        }
    }

private:
    std::size_t CharacterAt(std::string_view s, std::size_t at) const {
        const auto lead = static_cast<unsigned char>(s[at]);
        switch (page_) {
        case ModelPage::Western:
            return 1;
        case ModelPage::Japanese: {
            // Code page 932: a lead byte takes the next byte, whatever it is, when there is one.
            bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
            return isLead && at + 1 < s.size() ? 2 : 1;
        }
        case ModelPage::Wide:
            return lead >= 0x81 && lead <= 0xFE && at + 1 < s.size() ? 2 : 1;
        case ModelPage::Utf8:
            return Utf8Length(s, at);
        }
        return 1;
    }

    // The well-formed UTF-8 byte sequences of the Unicode standard (no overlong forms, no
    // surrogates, nothing above U+10FFFF). Anything else is one character per byte.
    static std::size_t Utf8Length(std::string_view s, std::size_t at) {
        struct Form {
            unsigned char leadLow, leadHigh, secondLow, secondHigh;
            std::size_t length;
        };
        static const Form forms[] = {
            {0x00, 0x7F, 0x00, 0x00, 1}, {0xC2, 0xDF, 0x80, 0xBF, 2}, {0xE0, 0xE0, 0xA0, 0xBF, 3},
            {0xE1, 0xEC, 0x80, 0xBF, 3}, {0xED, 0xED, 0x80, 0x9F, 3}, {0xEE, 0xEF, 0x80, 0xBF, 3},
            {0xF0, 0xF0, 0x90, 0xBF, 4}, {0xF1, 0xF3, 0x80, 0xBF, 4}, {0xF4, 0xF4, 0x80, 0x8F, 4},
        };
        const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
        for (const Form& form : forms) {
            if (byteAt(at) < form.leadLow || byteAt(at) > form.leadHigh) continue;
            if (form.length == 1) return 1;
            if (at + form.length > s.size()) return 1;
            if (byteAt(at + 1) < form.secondLow || byteAt(at + 1) > form.secondHigh) return 1;
            for (std::size_t k = 2; k < form.length; ++k) {
                if (byteAt(at + k) < 0x80 || byteAt(at + k) > 0xBF) return 1;
            }
            return form.length;
        }
        return 1;
    }

    std::string LowerCharacter(const std::string& c) const {
        switch (page_) {
        case ModelPage::Western: return LowerWestern(c);
        case ModelPage::Japanese: return LowerJapanese(c);
        case ModelPage::Wide: return LowerAsciiOnly(c);
        case ModelPage::Utf8: return LowerUtf8(c);
        }
        return c;
    }

    // Western European (1252): through Unicode and back; bytes 0x80 to 0x9F hold the letters
    // and signs of that code page, the others are Latin-1.
    static std::string LowerWestern(const std::string& c) {
        static const char32_t high[32] = {
            0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
        const auto toUnicode = [&](unsigned b) -> char32_t { return (b >= 0x80 && b <= 0x9F) ? high[b - 0x80] : b; };
        const auto b = static_cast<unsigned char>(c[0]);
        char32_t cp = toUnicode(b);
        if (cp == 0 || !std::iswupper(static_cast<wint_t>(cp))) return c;
        auto lower = static_cast<char32_t>(std::towlower(static_cast<wint_t>(cp)));
        for (unsigned candidate = 1; candidate < 256; ++candidate) {
            if (toUnicode(candidate) == lower) return std::string(1, static_cast<char>(candidate));
        }
        return c;
    }

    // Code page 932: A to Z, and the double-byte full-width Latin, Greek and Cyrillic capitals.
    static std::string LowerJapanese(const std::string& c) {
        std::string lower = c;
        const auto lead = static_cast<unsigned char>(c[0]);
        if (c.size() == 1) {
            if (lead >= 'A' && lead <= 'Z') lower[0] = static_cast<char>(lead - 'A' + 'a');
            return lower;
        }
        const auto trail = static_cast<unsigned char>(c[1]);
        // Rows of the JIS table: capitals, then where the small letters of that row begin.
        if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) lower[1] = static_cast<char>(0x81 + (trail - 0x60));
        if (lead == 0x83 && trail >= 0x9F && trail <= 0xB6) lower[1] = static_cast<char>(0xBF + (trail - 0x9F));
        if (lead == 0x84 && trail >= 0x40 && trail <= 0x60) {
            // The 33 small Cyrillic letters run from 0x70 and skip 0x7F, which is no trail byte.
            static const unsigned char small[33] = {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
                                                    0x7B, 0x7C, 0x7D, 0x7E, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86,
                                                    0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91};
            lower[1] = static_cast<char>(small[trail - 0x40]);
        }
        return lower;
    }

    // A to Z alone; a double-byte character stays as it is.
    static std::string LowerAsciiOnly(const std::string& c) {
        std::string lower = c;
        if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z') lower[0] = static_cast<char>(c[0] - 'A' + 'a');
        return lower;
    }

    // UTF-8: the capitals of the blocks that the program lowercases (Basic Latin, Latin-1,
    // Latin Extended-A, Greek, Cyrillic, full-width Latin) take their Unicode lower-case form,
    // when that form has as many bytes; everything else stays.
    static std::string LowerUtf8(const std::string& c) {
        char32_t cp = Decode(c);
        bool covered = (cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0x17F) || (cp >= 0x391 && cp <= 0x3A9) ||
                       (cp >= 0x400 && cp <= 0x42F) || (cp >= 0xFF21 && cp <= 0xFF3A);
        if (!covered || !std::iswupper(static_cast<wint_t>(cp))) return c;
        std::string lower = Encode(static_cast<char32_t>(std::towlower(static_cast<wint_t>(cp))));
        return lower.size() == c.size() ? lower : c;
    }

    static char32_t Decode(const std::string& c) {
        const auto b = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(c[i])); };
        switch (c.size()) {
        case 1: return b(0) < 0x80 ? b(0) : 0xFFFFFFFF;  // a lone byte of a malformed sequence is no letter
        case 2: return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
        case 3: return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
        default: return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
        }
    }

    static std::string Encode(char32_t cp) {
        std::string out;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        return out;
    }

    ModelPage page_;
};

}  // namespace quillora::fuzz
