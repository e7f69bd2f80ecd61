#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quillora::tools {

// The variable-length LZW code of GIF image data, bits packed from the low end of each byte.
// The encoder starts with a clear code and clears its table whenever it is full. When
// extraRestart is not negative it also clears the table once after writing that many codes:
// a restart costs a little space, so its place tunes the length of the code.
struct LzwCode {
    std::vector<std::uint8_t> bytes;
    int stringCodes = 0;  // codes for strings of symbols, without clear and end codes
};
LzwCode LzwEncode(const std::vector<std::uint8_t>& symbols, int minimumCodeSize, int extraRestart = -1);

// The symbols a decoder reads back; nullopt when the code stream is broken.
std::optional<std::vector<std::uint8_t>> LzwDecode(const std::vector<std::uint8_t>& bytes, int minimumCodeSize);

}  // namespace quillora::tools
