#pragma once

#include <string>
#include <vector>

#include "Canvas.h"
#include "Palette.h"

namespace quillora::tools {

// Uncompressed BMP files with a BITMAPINFOHEADER, rows from the bottom.
std::string EncodeBmp8(const IndexedImage& image);
std::string EncodeBmp24(const Canvas& canvas);

// An icon file of BMP-style images, one per (picture, depth) pair, in the given order.
// 8-bit images get a palette of their own, black first, and an AND mask that hides the pixels
// less than half covered; 32-bit images keep their alpha and get the mask of the clear pixels.
struct IconImage {
    const Canvas* picture;
    int bitsPerPixel;  // 8 or 32
};
std::string EncodeIcon(const std::vector<IconImage>& images);

// A GIF89a file: a global colour table of 256 entries, one graphic control extension without
// transparency and one whole, non-interlaced image. extraRestart goes to the LZW encoder.
std::string EncodeGif(const IndexedImage& image, int extraRestart = -1);

// A PNG file of 8-bit RGBA, not interlaced, with the canvas's pixels exactly as they are. Each
// row gets the filter whose output has the smallest sum of absolute values (bytes taken as
// signed); the filtered rows are deflated into one IDAT chunk.
std::string EncodePng(const Canvas& canvas);

// The size in bytes of the GIF file whose LZW data is the given number of bytes.
std::size_t GifFileSize(std::size_t lzwBytes);

}  // namespace quillora::tools
