#pragma once

namespace quillora {

// Hexadecimal digits, written in lower case (as the settings file has them).
inline constexpr char kHexDigits[] = "0123456789abcdef";

// The value of a hexadecimal digit of either case; -1 for any other character.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace quillora
