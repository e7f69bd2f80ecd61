#include "BitmapFont.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillora::tools::BitmapFont {
namespace {

// Each glyph is its rows from the ascender line down, '#' lit, separated by '|'. Rows left out
// at the bottom are empty. All rows of a glyph have the same width.
struct GlyphSource {
    char character;
    const char* rows;
};

constexpr GlyphSource kGlyphs[] = {
    {' ', "...|"},
    {'A', ".###.|#...#|#...#|#####|#...#|#...#|#...#"},
    {'B', "####.|#...#|#...#|####.|#...#|#...#|####."},
    {'C', ".###.|#...#|#....|#....|#....|#...#|.###."},
    {'D', "####.|#...#|#...#|#...#|#...#|#...#|####."},
    {'E', "#####|#....|#....|####.|#....|#....|#####"},
    {'F', "#####|#....|#....|####.|#....|#....|#...."},
    {'G', ".###.|#...#|#....|#.###|#...#|#...#|.####"},
    {'H', "#...#|#...#|#...#|#####|#...#|#...#|#...#"},
    {'I', "###|.#.|.#.|.#.|.#.|.#.|###"},
    {'J', "..###|...#.|...#.|...#.|...#.|#..#.|.##.."},
    {'K', "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#"},
    {'L', "#....|#....|#....|#....|#....|#....|#####"},
    {'M', "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#"},
    {'N', "#...#|#...#|##..#|#.#.#|#..##|#...#|#...#"},
    {'O', ".###.|#...#|#...#|#...#|#...#|#...#|.###."},
    {'P', "####.|#...#|#...#|####.|#....|#....|#...."},
    {'Q', ".###.|#...#|#...#|#...#|#.#.#|#..#.|.##.#"},
    {'R', "####.|#...#|#...#|####.|#.#..|#..#.|#...#"},
    {'S', ".####|#....|#....|.###.|....#|....#|####."},
    {'T', "#####|..#..|..#..|..#..|..#..|..#..|..#.."},
    {'U', "#...#|#...#|#...#|#...#|#...#|#...#|.###."},
    {'V', "#...#|#...#|#...#|#...#|#...#|.#.#.|..#.."},
    {'W', "#...#|#...#|#...#|#.#.#|#.#.#|#.#.#|.#.#."},
    {'X', "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#"},
    {'Y', "#...#|#...#|.#.#.|..#..|..#..|..#..|..#.."},
    {'Z', "#####|....#|...#.|..#..|.#...|#....|#####"},
    {'a', "....|....|.##.|...#|.###|#..#|.###"},
    {'b', "#...|#...|###.|#..#|#..#|#..#|###."},
    {'c', "...|...|.##|#..|#..|#..|.##"},
    {'d', "...#|...#|.###|#..#|#..#|#..#|.###"},
    {'e', "....|....|.##.|#..#|####|#...|.##."},
    {'f', ".##|#..|###|#..|#..|#..|#.."},
    {'g', "....|....|.###|#..#|#..#|#..#|.###|...#|.##."},
    {'h', "#...|#...|###.|#..#|#..#|#..#|#..#"},
    {'i', "#|.|#|#|#|#|#"},
    {'j', "..#|...|.##|..#|..#|..#|..#|..#|##."},
    {'k', "#...|#...|#..#|#.#.|##..|#.#.|#..#"},
    {'l', "#|#|#|#|#|#|#"},
    {'m', ".....|.....|####.|#.#.#|#.#.#|#.#.#|#.#.#"},
    {'n', "....|....|###.|#..#|#..#|#..#|#..#"},
    {'o', "....|....|.##.|#..#|#..#|#..#|.##."},
    {'p', "....|....|###.|#..#|#..#|#..#|###.|#...|#..."},
    {'q', "....|....|.###|#..#|#..#|#..#|.###|...#|...#"},
    {'r', "...|...|#.#|##.|#..|#..|#.."},
    {'s', "...|...|.##|#..|.#.|..#|##."},
    {'t', ".#.|.#.|###|.#.|.#.|.#.|..#"},
    {'u', "....|....|#..#|#..#|#..#|#..#|.###"},
    {'v', ".....|.....|#...#|#...#|.#.#.|.#.#.|..#.."},
    {'w', ".....|.....|#...#|#...#|#.#.#|#.#.#|.#.#."},
    {'x', "....|....|#..#|#..#|.##.|#..#|#..#"},
    {'y', "....|....|#..#|#..#|#..#|#..#|.###|...#|.##."},
    {'z', "....|....|####|...#|.##.|#...|####"},
    {'0', ".##.|#..#|#..#|#..#|#..#|#..#|.##."},
    {'1', ".#.|##.|.#.|.#.|.#.|.#.|###"},
    {'2', ".##.|#..#|...#|..#.|.#..|#...|####"},
    {'3', "###.|...#|...#|.##.|...#|...#|###."},
    {'4', "..#.|.##.|#.#.|#.#.|####|..#.|..#."},
    {'5', "####|#...|###.|...#|...#|#..#|.##."},
    {'6', ".##.|#...|#...|###.|#..#|#..#|.##."},
    {'7', "####|...#|..#.|..#.|.#..|.#..|.#.."},
    {'8', ".##.|#..#|#..#|.##.|#..#|#..#|.##."},
    {'9', ".##.|#..#|#..#|.###|...#|...#|.##."},
    {'.', ".|.|.|.|.|.|#"},
    {',', "..|..|..|..|..|..|.#|#."},
    {'!', "#|#|#|#|#|.|#"},
    {'?', ".##.|#..#|...#|..#.|.#..|....|.#.."},
    {':', ".|.|.|#|.|.|#"},
    {'-', "...|...|...|###|...|...|..."},
    {'+', ".....|..#..|..#..|#####|..#..|..#..|....."},
    {'/', "..#|..#|.#.|.#.|.#.|#..|#.."},
    {'(', ".#|#.|#.|#.|#.|#.|.#"},
    {')', "#.|.#|.#|.#|.#|.#|#."},
    {'\'', "#|#"},
    {'"', "#.#|#.#"},
    {'&', ".#..|#.#.|#.#.|.#..|#.#.|#..#|.##."},
};

struct Glyph {
    int width = 0;
    std::vector<std::string> rows;  // always kRows rows

    bool Lit(int column, int row) const {
        return column >= 0 && row >= 0 && column < width && row < kRows && rows[row][column] == '#';
    }
};

Glyph Parse(const GlyphSource& source) {
    Glyph glyph;
    std::string rows = source.rows;
    std::size_t start = 0;
    while (start <= rows.size()) {
        const std::size_t bar = rows.find('|', start);
        glyph.rows.push_back(rows.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    glyph.width = static_cast<int>(glyph.rows.front().size());
    glyph.rows.resize(kRows, std::string(static_cast<std::size_t>(glyph.width), '.'));
    for (auto& row : glyph.rows)
        if (row.empty()) row.assign(static_cast<std::size_t>(glyph.width), '.');
    return glyph;
}

const Glyph& GlyphOf(char character) {
    static const std::vector<std::pair<char, Glyph>> glyphs = [] {
        std::vector<std::pair<char, Glyph>> parsed;
        for (const auto& source : kGlyphs) parsed.emplace_back(source.character, Parse(source));
        return parsed;
    }();
    for (const auto& [c, glyph] : glyphs)
        if (c == character) return glyph;
    throw std::invalid_argument(std::string("the font has no glyph for '") + character + "'");
}

// Distance from point p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    double t = lengthSquared > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = px - (ax + t * dx);
    const double ey = py - (ay + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

int TextWidth(std::string_view text, bool bold) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        width += GlyphOf(text[i]).width + (bold ? 1 : 0);
        if (i + 1 < text.size()) width += 1;
    }
    return width;
}

void DrawText(Canvas& canvas, int x, int top, std::string_view text, Colour colour, bool bold) {
    for (char character : text) {
        const Glyph& glyph = GlyphOf(character);
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                if (!glyph.Lit(column, row)) continue;
                canvas.Blend(x + column, top + row, colour);
                if (bold) canvas.Blend(x + column + 1, top + row, colour);
            }
        }
        x += glyph.width + (bold ? 1 : 0) + 1;
    }
}

double SmoothTextWidth(std::string_view text, double scale) {
    return TextWidth(text) * scale;
}

void DrawSmoothText(Canvas& canvas, double x, double top, double scale, double stroke, std::string_view text,
                    const std::function<Colour(double, double)>& colourAt) {
    struct Segment {
        double ax, ay, bx, by;
    };
    for (char character : text) {
        const Glyph& glyph = GlyphOf(character);
        std::vector<Segment> segments;
        auto centre = [&](int column, int row) {
            return std::pair<double, double>{x + (column + 0.5) * scale, top + (row + 0.5) * scale};
        };
        for (int row = 0; row < kRows; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                if (!glyph.Lit(column, row)) continue;
                const std::pair<double, double> from = centre(column, row);
                segments.push_back({from.first, from.second, from.first, from.second});
                auto join = [&](int toColumn, int toRow) {
                    const auto [bx, by] = centre(toColumn, toRow);
                    segments.push_back({from.first, from.second, bx, by});
                };
                if (glyph.Lit(column + 1, row)) join(column + 1, row);
                if (glyph.Lit(column, row + 1)) join(column, row + 1);
                // Diagonal steps only where no straight path already links the two cells.
                if (glyph.Lit(column + 1, row + 1) && !glyph.Lit(column + 1, row) && !glyph.Lit(column, row + 1))
                    join(column + 1, row + 1);
                if (glyph.Lit(column - 1, row + 1) && !glyph.Lit(column - 1, row) && !glyph.Lit(column, row + 1))
                    join(column - 1, row + 1);
            }
        }
        const double radius = stroke / 2.0;
        auto inside = [&](double px, double py) {
            for (const auto& s : segments)
                if (SegmentDistance(px, py, s.ax, s.ay, s.bx, s.by) <= radius) return true;
            return false;
        };
        const int left = static_cast<int>(std::floor(x - radius));
        const int right = static_cast<int>(std::ceil(x + glyph.width * scale + radius));
        const int upper = static_cast<int>(std::floor(top - radius));
        const int lower = static_cast<int>(std::ceil(top + kRows * scale + radius));
        canvas.FillShape(left, upper, right - left, lower - upper, inside, colourAt);
        x += (glyph.width + 1) * scale;
    }
}

}  // namespace quillora::tools::BitmapFont
