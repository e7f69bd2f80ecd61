#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora::tools {

// The CRC-32 of PNG chunks (and of zip and gzip). crc continues the sum of earlier bytes.
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

// The Adler-32 checksum that ends a zlib stream.
std::uint32_t Adler32(std::string_view bytes);

// A zlib stream of the bytes: one deflate block with the fixed Huffman codes, holding literals
// and LZ77 matches found through hash chains. The same bytes always give the same stream.
std::string ZlibCompress(std::string_view bytes);

}  // namespace quillora::tools
