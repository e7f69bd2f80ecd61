#include "Deflate.h"

#include <algorithm>
#include <array>
#include <vector>

#include "BitWriter.h"

namespace quillora::tools {
namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// A Huffman code, whose bits go most significant first.
void Code(BitWriter& out, std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1) << (length - 1 - i);
    out.Bits(reversed, length);
}

// A literal byte (0-255), the end of the block (256) or a length code (257-285) in the fixed code.
void Symbol(BitWriter& out, int symbol) {
    const auto value = static_cast<std::uint32_t>(symbol);
    if (symbol < 144) Code(out, 0x30 + value, 8);
    else if (symbol < 256) Code(out, 0x190 + value - 144, 9);
    else if (symbol < 280) Code(out, value - 256, 7);
    else Code(out, 0xC0 + value - 280, 8);
}

constexpr int kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                               31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtraBits[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                 193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtraBits[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The index of the last base not above value.
template <std::size_t N>
int BaseIndex(const int (&bases)[N], int value) {
    int index = 0;
    while (index + 1 < static_cast<int>(N) && bases[index + 1] <= value) ++index;
    return index;
}

// "Copy length bytes from distance bytes back": a length code, its extra bits, the fixed
// five-bit distance code and its extra bits.
void Match(BitWriter& out, int length, int distance) {
    const int l = BaseIndex(kLengthBase, length);
    Symbol(out, 257 + l);
    out.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtraBits[l]);
    const int d = BaseIndex(kDistanceBase, distance);
    Code(out, static_cast<std::uint32_t>(d), 5);
    out.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtraBits[d]);
}

constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 258;
constexpr std::size_t kWindow = 32768;
constexpr int kMaxChain = 128;  // earlier places tried for each match
constexpr int kHashBits = 15;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::uint32_t Hash(const unsigned char* at) {
    const std::uint32_t three = static_cast<std::uint32_t>(at[0]) << 16 | static_cast<std::uint32_t>(at[1]) << 8 | at[2];
    return (three * 2654435761u) >> (32 - kHashBits);
}

// Greedy LZ77: at each place the longest match among the recent places with the same three
// bytes, or a literal when there is none of at least kMinMatch bytes.
void DeflateBlockData(BitWriter& out, std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::vector<std::size_t> head(std::size_t{1} << kHashBits, kNone);
    std::vector<std::size_t> previous(size, kNone);  // the earlier place with the same hash
    auto remember = [&](std::size_t at) {
        if (at + kMinMatch > size) return;
        const std::uint32_t hash = Hash(data + at);
        previous[at] = head[hash];
        head[hash] = at;
    };

    std::size_t at = 0;
    while (at < size) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (at + kMinMatch <= size) {
            const std::size_t longest = std::min(kMaxMatch, size - at);
            std::size_t candidate = head[Hash(data + at)];
            for (int tries = 0; candidate != kNone && at - candidate <= kWindow && tries < kMaxChain; ++tries) {
                std::size_t length = 0;
                while (length < longest && data[candidate + length] == data[at + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = at - candidate;
                    if (length == longest) break;
                }
                candidate = previous[candidate];
            }
        }
        if (bestLength >= kMinMatch) {
            Match(out, static_cast<int>(bestLength), static_cast<int>(bestDistance));
            for (std::size_t i = 0; i < bestLength; ++i) remember(at + i);
            at += bestLength;
        } else {
            Symbol(out, data[at]);
            remember(at);
            ++at;
        }
    }
    Symbol(out, 256);
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
    crc ^= 0xFFFFFFFFu;
    for (const char byte : bytes) crc = kCrcTable[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(std::string_view bytes) {
    constexpr std::uint32_t kModulus = 65521;
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char byte : bytes) {
        a = (a + static_cast<unsigned char>(byte)) % kModulus;
        b = (b + a) % kModulus;
    }
    return b << 16 | a;
}

std::string ZlibCompress(std::string_view bytes) {
    std::string out;
    // Deflate with a 32 KiB window; the level field says "fast"; the check makes the pair a multiple of 31.
    const std::uint32_t method = 0x78;
    std::uint32_t flags = 1 << 6;
    flags |= (31 - (method * 256 + flags) % 31) % 31;
    out.push_back(static_cast<char>(method));
    out.push_back(static_cast<char>(flags));

    BitWriter bits(out);
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // fixed Huffman codes
    DeflateBlockData(bits, bytes);
    bits.Flush();

    const std::uint32_t adler = Adler32(bytes);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((adler >> shift) & 0xFF));
    return out;
}

}  // namespace quillora::tools
