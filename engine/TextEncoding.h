#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillora {

// The ways a program file can hold its texts: UTF-8 (Linux), or the Western European ANSI code
// page 1252 (Windows), one byte a character.
enum class TextEncoding { Utf8, Windows1252 };

// One character of a text in an encoding: its code point and the bytes it takes. A byte that
// starts no character (malformed or cut-off UTF-8) is one invalid character of length 1.
struct EncodedCharacter {
    char32_t codePoint = 0;
    std::size_t length = 1;
    bool valid = false;
};

// The character that starts at bytes[at]; at must be below bytes.size(). UTF-8 is taken
// strictly: overlong forms, surrogates, code points above U+10FFFF and cut-off sequences are
// invalid. In code page 1252 every byte is a character; the five bytes that it leaves
// unassigned (81, 8D, 8F, 90, 9D) stand for the C1 controls of the same number, as Windows
// converts them.
EncodedCharacter DecodeCharacter(TextEncoding encoding, std::string_view bytes, std::size_t at);

// Appends the code point in the encoding; false, with nothing appended, when the encoding has
// no bytes for it.
bool EncodeCharacter(TextEncoding encoding, char32_t codePoint, std::string& into);

}  // namespace quillora
