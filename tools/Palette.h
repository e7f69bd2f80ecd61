#pragma once

#include <cstdint>
#include <vector>

#include "Canvas.h"

namespace quillora::tools {

// A picture of palette indices with its palette of 256 entries.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Colour> palette;        // always 256 entries, unused ones black
    std::vector<std::uint8_t> indices;  // rows from the top
};

// Reduces the canvas to a palette of at most 256 colours, alpha ignored. The fixed colours take
// the first entries. When the picture holds few enough colours every one is kept exactly, in
// ascending order of its 0xRRGGBB value; otherwise median cut chooses them.
IndexedImage Quantize(const Canvas& canvas, const std::vector<Colour>& fixed = {});

}  // namespace quillora::tools
