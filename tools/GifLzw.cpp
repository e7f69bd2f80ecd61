#include "GifLzw.h"

#include <array>
#include <stdexcept>
#include <string>

#include "BitWriter.h"

namespace quillora::tools {
namespace {

constexpr int kMaxCodeSize = 12;
constexpr int kMaxCodes = 1 << kMaxCodeSize;

}  // namespace

LzwCode LzwEncode(const std::vector<std::uint8_t>& symbols, int minimumCodeSize, int extraRestart) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;

    // children[code][symbol]: the code of the string code + symbol, or 0 when not in the table.
    std::vector<std::array<std::uint16_t, 256>> children(kMaxCodes);
    std::string packed;
    BitWriter out(packed);
    int codeSize = minimumCodeSize + 1;
    int lastCode = endCode;  // the highest code handed out so far
    auto reset = [&] {
        for (int code = 0; code <= lastCode; ++code) children[static_cast<std::size_t>(code)].fill(0);
        codeSize = minimumCodeSize + 1;
        lastCode = endCode;
    };
    // After each code written the decoder adds one string to its table; the code size grows
    // as soon as the next code could need another bit.
    auto advance = [&] {
        ++lastCode;
        if (lastCode >= (1 << codeSize) && codeSize < kMaxCodeSize) ++codeSize;
    };

    out.Bits(static_cast<std::uint32_t>(clearCode), codeSize);
    int written = 0;
    int current = -1;
    for (std::uint8_t symbol : symbols) {
        if (symbol >= clearCode) throw std::invalid_argument("symbol out of range for the LZW code size");
        if (current < 0) {
            current = symbol;
            continue;
        }
        const int child = children[static_cast<std::size_t>(current)][symbol];
        if (child != 0) {
            current = child;
            continue;
        }
        out.Bits(static_cast<std::uint32_t>(current), codeSize);
        advance();
        children[static_cast<std::size_t>(current)][symbol] = static_cast<std::uint16_t>(lastCode);
        if (++written == extraRestart || lastCode == kMaxCodes - 1) {
            out.Bits(static_cast<std::uint32_t>(clearCode), codeSize);
            reset();
        }
        current = symbol;
    }
    if (current >= 0) {
        out.Bits(static_cast<std::uint32_t>(current), codeSize);
        advance();
        ++written;
    }
    out.Bits(static_cast<std::uint32_t>(endCode), codeSize);
    out.Flush();
    return LzwCode{std::vector<std::uint8_t>(packed.begin(), packed.end()), written};
}

std::optional<std::vector<std::uint8_t>> LzwDecode(const std::vector<std::uint8_t>& bytes, int minimumCodeSize) {
    const int clearCode = 1 << minimumCodeSize;
    const int endCode = clearCode + 1;
    std::vector<int> prefix(kMaxCodes, -1);
    std::vector<std::uint8_t> suffix(kMaxCodes, 0);
    std::vector<std::uint8_t> first(kMaxCodes, 0);
    for (int code = 0; code < clearCode; ++code) {
        suffix[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
        first[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(code);
    }
    std::vector<std::uint8_t> output;
    auto emit = [&](int code) {
        std::vector<std::uint8_t> reversed;
        for (int c = code; c >= 0; c = prefix[static_cast<std::size_t>(c)]) reversed.push_back(suffix[static_cast<std::size_t>(c)]);
        output.insert(output.end(), reversed.rbegin(), reversed.rend());
    };

    int codeSize = minimumCodeSize + 1;
    int nextCode = endCode + 1;
    int previous = -1;
    std::size_t bitPosition = 0;
    while (true) {
        if (bitPosition + static_cast<std::size_t>(codeSize) > bytes.size() * 8) return std::nullopt;
        int code = 0;
        for (int bit = 0; bit < codeSize; ++bit, ++bitPosition)
            if (bytes[bitPosition / 8] & (1 << (bitPosition % 8))) code |= 1 << bit;
        if (code == clearCode) {
            codeSize = minimumCodeSize + 1;
            nextCode = endCode + 1;
            previous = -1;
            continue;
        }
        if (code == endCode) break;
        if (previous < 0) {
            if (code >= clearCode) return std::nullopt;
            emit(code);
            previous = code;
            continue;
        }
        if (code > nextCode || (code == nextCode && nextCode >= kMaxCodes)) return std::nullopt;
        const std::uint8_t head = code < nextCode ? first[static_cast<std::size_t>(code)] : first[static_cast<std::size_t>(previous)];
        if (nextCode < kMaxCodes) {
            prefix[static_cast<std::size_t>(nextCode)] = previous;
            suffix[static_cast<std::size_t>(nextCode)] = head;
            first[static_cast<std::size_t>(nextCode)] = first[static_cast<std::size_t>(previous)];
            ++nextCode;
            if (nextCode == (1 << codeSize) && codeSize < kMaxCodeSize) ++codeSize;
        }
        emit(code);
        previous = code;
    }
    return output;
}

}  // namespace quillora::tools
