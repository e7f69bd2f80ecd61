#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "branding/BrandingRecord.h"
#include "engine/LittleEndian.h"

namespace quillora::testing {

// A branding record image, all zero bytes but for the unbranded flag, to be filled in as the
// branding tool would.
class BrandingImage {
public:
    explicit BrandingImage(std::uint32_t unbrandedFlag = 1) { Word(BrandingRecord::kUnbrandedFlag, unbrandedFlag); }

    BrandingImage& Word(std::size_t offset, std::uint32_t value) {
        WriteLittleEndian32(value, &bytes.at(offset));
        return *this;
    }
    // The text's bytes, then a NUL when there is room for one in the field.
    BrandingImage& Text(std::size_t offset, std::size_t fieldSize, std::string_view text) {
        std::size_t i = 0;
        for (; i < text.size() && i < fieldSize; ++i) bytes[offset + i] = static_cast<unsigned char>(text[i]);
        if (i < fieldSize) bytes[offset + i] = 0;
        return *this;
    }
    BrandingImage& Title(std::string_view text) {
        return Text(BrandingRecord::kWindowTitle, BrandingRecord::kWindowTitleSize, text);
    }
    BrandingImage& Name(std::string_view text) {
        return Text(BrandingRecord::kResellerName, BrandingRecord::kResellerNameSize, text);
    }
    BrandingImage& Address(std::string_view text) {
        return Text(BrandingRecord::kResellerAddress, BrandingRecord::kResellerAddressSize, text);
    }

    const volatile unsigned char* Data() const { return bytes.data(); }

    std::array<unsigned char, BrandingRecord::kSize> bytes{};
};

}  // namespace quillora::testing
