#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace quillora::tools {

struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;

    friend bool operator==(const Colour&, const Colour&) = default;
};

// A colour from 0xRRGGBB, opaque.
constexpr Colour Rgb(std::uint32_t rgb) {
    return Colour{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                  static_cast<std::uint8_t>(rgb), 255};
}

// Linear mix of two colours, alpha included; t = 0 gives a, t = 1 gives b.
Colour Mix(Colour a, Colour b, double t);

// A picture in memory: rows from the top, non-premultiplied colour with alpha.
// Coordinates outside the picture are ignored by every drawing operation.
class Canvas {
public:
    Canvas(int width, int height, Colour fill = Colour{0, 0, 0, 0});

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Colour Get(int x, int y) const;
    void Set(int x, int y, Colour colour);
    // Paints colour over the pixel with the given coverage (0..1), times the colour's own alpha.
    void Blend(int x, int y, Colour colour, double coverage = 1.0);

    void FillRect(int x, int y, int width, int height, Colour colour);
    // The one-pixel outline of the rectangle.
    void FrameRect(int x, int y, int width, int height, Colour colour);
    void HorizontalLine(int x, int y, int length, Colour colour);
    void VerticalLine(int x, int y, int length, Colour colour);
    // Paints every pixel of the rectangle with the colour that shade gives for it.
    void Shade(int x, int y, int width, int height, const std::function<Colour(int, int)>& shade);

    // Paints a shape given by its coverage function, sampled 4 x 4 times in each pixel of the
    // rectangle. inside(px, py) tells whether a point (in pixel units) lies in the shape.
    void FillShape(int x, int y, int width, int height, const std::function<bool(double, double)>& inside,
                   const std::function<Colour(double, double)>& colourAt);

    // Copies another canvas onto this one at (x, y), blending by its alpha.
    void Draw(const Canvas& source, int x, int y);

private:
    int width_;
    int height_;
    std::vector<Colour> pixels_;
};

}  // namespace quillora::tools
