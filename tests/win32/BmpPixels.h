#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace quillora::testing {

// The pixels of an uncompressed 8-bit or 24-bit .bmp file, read independently of the host, and
// of a bitmap handle, both as 0x00RRGGBB rows from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

inline std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

inline Pixels DecodeBmp(std::string_view file) {
    Pixels pixels;
    const std::uint32_t bitsAt = LittleEndian(file, 10, 4);
    const std::uint32_t headerSize = LittleEndian(file, 14, 4);
    pixels.width = static_cast<int>(LittleEndian(file, 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(file, 22, 4));
    pixels.height = height < 0 ? -height : height;
    const int depth = static_cast<int>(LittleEndian(file, 28, 2));
    const std::size_t stride = (static_cast<std::size_t>(pixels.width) * depth + 31) / 32 * 4;
    for (int y = 0; y < pixels.height; ++y) {
        const std::size_t row = bitsAt + stride * static_cast<std::size_t>(height < 0 ? y : pixels.height - 1 - y);
        for (int x = 0; x < pixels.width; ++x) {
            if (depth == 8) {
                const std::size_t entry = 14 + headerSize + 4 * static_cast<unsigned char>(file[row + x]);
                pixels.rgb.push_back(LittleEndian(file, entry, 3));
            } else {
                pixels.rgb.push_back(LittleEndian(file, row + 3 * static_cast<std::size_t>(x), 3));
            }
        }
    }
    return pixels;
}

inline Pixels PixelsOf(HBITMAP bitmap) {
    Pixels pixels;
    BITMAP shape = {};
    if (GetObjectA(bitmap, sizeof shape, &shape) == 0) return pixels;
    pixels.width = shape.bmWidth;
    pixels.height = shape.bmHeight;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shape.bmWidth;
    info.bmiHeader.biHeight = -shape.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.rgb.resize(static_cast<std::size_t>(shape.bmWidth) * shape.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(shape.bmHeight), pixels.rgb.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (std::uint32_t& pixel : pixels.rgb) pixel &= 0xFFFFFF;
    return pixels;
}

// COLORREF is 0x00BBGGRR.
inline std::uint32_t RgbOf(COLORREF colour) {
    return static_cast<std::uint32_t>(GetRValue(colour)) << 16 | static_cast<std::uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}

}  // namespace quillora::testing
