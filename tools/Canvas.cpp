#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace quillora::tools {
namespace {

std::uint8_t Channel(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

}  // namespace

Colour Mix(Colour a, Colour b, double t) {
    auto mix = [t](std::uint8_t from, std::uint8_t to) { return Channel(from + (to - from) * t); };
    return Colour{mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

Colour Canvas::Get(int x, int y) const {
    if (!Contains(x, y)) return Colour{0, 0, 0, 0};
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void Canvas::Set(int x, int y, Colour colour) {
    if (!Contains(x, y)) return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = colour;
}

void Canvas::Blend(int x, int y, Colour colour, double coverage) {
    if (!Contains(x, y) || coverage <= 0.0) return;
    const double alpha = std::min(coverage, 1.0) * colour.a / 255.0;
    if (alpha <= 0.0) return;
    const Colour under = Get(x, y);
    const double underAlpha = under.a / 255.0;
    const double outAlpha = alpha + underAlpha * (1.0 - alpha);
    auto channel = [&](std::uint8_t top, std::uint8_t bottom) {
        return Channel((top * alpha + bottom * underAlpha * (1.0 - alpha)) / outAlpha);
    };
    Set(x, y, Colour{channel(colour.r, under.r), channel(colour.g, under.g), channel(colour.b, under.b),
                     Channel(outAlpha * 255.0)});
}

void Canvas::FillRect(int x, int y, int width, int height, Colour colour) {
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column) Set(column, row, colour);
}

void Canvas::FrameRect(int x, int y, int width, int height, Colour colour) {
    HorizontalLine(x, y, width, colour);
    HorizontalLine(x, y + height - 1, width, colour);
    VerticalLine(x, y, height, colour);
    VerticalLine(x + width - 1, y, height, colour);
}

void Canvas::HorizontalLine(int x, int y, int length, Colour colour) { FillRect(x, y, length, 1, colour); }

void Canvas::VerticalLine(int x, int y, int length, Colour colour) { FillRect(x, y, 1, length, colour); }

void Canvas::Shade(int x, int y, int width, int height, const std::function<Colour(int, int)>& shade) {
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column) Blend(column, row, shade(column, row));
}

void Canvas::FillShape(int x, int y, int width, int height, const std::function<bool(double, double)>& inside,
                       const std::function<Colour(double, double)>& colourAt) {
    constexpr int kSamples = 4;
    for (int row = y; row < y + height; ++row) {
        for (int column = x; column < x + width; ++column) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    if (inside(column + (sx + 0.5) / kSamples, row + (sy + 0.5) / kSamples)) ++hits;
            if (hits == 0) continue;
            Blend(column, row, colourAt(column + 0.5, row + 0.5), static_cast<double>(hits) / (kSamples * kSamples));
        }
    }
}

void Canvas::Draw(const Canvas& source, int x, int y) {
    for (int row = 0; row < source.Height(); ++row)
        for (int column = 0; column < source.Width(); ++column) Blend(x + column, y + row, source.Get(column, row));
}

}  // namespace quillora::tools
