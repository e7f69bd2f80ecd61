#pragma once

#include <cstdint>
#include <string>

namespace quillora::tools {

// Packs values into bytes from the low bit up, as GIF's LZW codes and deflate's bits both go.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}

    // The count low bits of value, least significant first.
    void Bits(std::uint32_t value, int count) {
        buffer_ |= value << used_;
        used_ += count;
        while (used_ >= 8) {
            out_.push_back(static_cast<char>(buffer_ & 0xFF));
            buffer_ >>= 8;
            used_ -= 8;
        }
    }

    // Pads the last byte with zero bits.
    void Flush() {
        if (used_ > 0) Bits(0, 8 - used_);
    }

private:
    std::string& out_;
    std::uint32_t buffer_ = 0;
    int used_ = 0;
};

}  // namespace quillora::tools
