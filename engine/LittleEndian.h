#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillora {

// 32-bit words stored least significant byte first: REG_DWORD data, the branding record's
// flag, the fields of the picture files.

// The word in the first `count` bytes, at most four. Bytes that are not there count as zero,
// so shorter data gives its bytes as the low end and is never sign-extended. Byte may be char,
// unsigned char or a volatile one.
template <typename Byte>
constexpr std::uint32_t ReadLittleEndian32(const Byte* bytes, std::size_t count = 4) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < count && i < 4; ++i) word |= std::uint32_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return word;
}

// Puts the word's four bytes at bytes[0..3].
template <typename Byte>
constexpr void WriteLittleEndian32(std::uint32_t word, Byte* bytes) {
    for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<Byte>((word >> (8 * i)) & 0xFF);
}

// The word's four bytes.
inline std::string LittleEndian32(std::uint32_t word) {
    std::string bytes(4, '\0');
    WriteLittleEndian32(word, bytes.data());
    return bytes;
}

}  // namespace quillora
