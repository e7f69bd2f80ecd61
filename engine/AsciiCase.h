#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillora {

// Case rules for the ASCII letters A to Z alone, whatever the code page: names in the settings
// file and its key paths compare so. Every other byte, including each byte of a multi-byte
// character, stays as it is. (TextBuffer::ToLower is the code page's own rule.)

// Byte may be char or unsigned char.
template <typename Byte>
constexpr Byte LowerAscii(Byte c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Byte>(c - 'A' + 'a') : c;
}

inline std::string LoweredAscii(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = LowerAscii(c);
    return lowered;
}

constexpr bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

constexpr bool StartsIgnoringAsciiCase(std::string_view text, std::string_view head) {
    return text.size() >= head.size() && SameIgnoringAsciiCase(text.substr(0, head.size()), head);
}

}  // namespace quillora
