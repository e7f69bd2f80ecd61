#pragma once

#include <string_view>

#include "Canvas.h"

namespace quillora::tools {

// A small proportional pixel font: capitals and ascenders 7 rows above the baseline, small
// letters 5, descenders 2 rows below. Glyphs are one column apart.
namespace BitmapFont {

inline constexpr int kRows = 9;      // rows of a glyph cell, from the ascender line down
inline constexpr int kBaseline = 7;  // the row just below the baseline

// Width in pixels of the text; bold glyphs are one column wider.
int TextWidth(std::string_view text, bool bold = false);

// Draws the text with the top of its glyph cells at (x, top).
void DrawText(Canvas& canvas, int x, int top, std::string_view text, Colour colour, bool bold = false);

// Draws the text scaled up, each lit cell of a glyph joined to its lit neighbours by round
// strokes, so that large lettering looks drawn rather than blocky. (x, top) is the top left of
// the scaled cell, stroke the width of a stroke in pixels. colourAt gives the paint at a point.
void DrawSmoothText(Canvas& canvas, double x, double top, double scale, double stroke, std::string_view text,
                    const std::function<Colour(double, double)>& colourAt);

// Width in pixels of the scaled text of DrawSmoothText.
double SmoothTextWidth(std::string_view text, double scale);

}  // namespace BitmapFont
}  // namespace quillora::tools
