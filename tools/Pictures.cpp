#include "Pictures.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "BitmapFont.h"

namespace quillora::tools {
namespace {

constexpr Colour kWhite = Rgb(0xFFFFFF);
constexpr Colour kBlack = Rgb(0x000000);

double Clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

// x to the power 2^n, by squaring.
double PowerOfTwoPower(double x, int n) {
    for (int i = 0; i < n; ++i) x *= x;
    return x;
}

// Is (px, py) inside the rounded rectangle?
bool InRoundedRect(double px, double py, double x, double y, double width, double height, double radius) {
    const double cx = std::clamp(px, x + radius, x + width - radius);
    const double cy = std::clamp(py, y + radius, y + height - radius);
    const double dx = px - cx;
    const double dy = py - cy;
    return px >= x && px <= x + width && py >= y && py <= y + height && dx * dx + dy * dy <= radius * radius;
}

void RoundedRect(Canvas& canvas, double x, double y, double width, double height, double radius,
                 const std::function<Colour(double, double)>& colourAt) {
    canvas.FillShape(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), static_cast<int>(std::ceil(width)) + 1,
                     static_cast<int>(std::ceil(height)) + 1,
                     [=](double px, double py) { return InRoundedRect(px, py, x, y, width, height, radius); }, colourAt);
}

// ---- Banner ----

void DrawQuill(Canvas& canvas) {
    // The feather lies along the shaft from the nib (ax, ay) to the tip (bx, by).
    const double ax = 318.0, ay = 184.0, bx = 386.0, by = 16.0;
    const double dx = bx - ax, dy = by - ay;
    const double length = std::sqrt(dx * dx + dy * dy);
    auto along = [=](double px, double py) { return ((px - ax) * dx + (py - ay) * dy) / (length * length); };
    auto across = [=](double px, double py) { return ((px - ax) * dy - (py - ay) * dx) / length; };
    auto halfWidth = [](double u, bool left) {
        if (u < 0.22 || u > 1.0) return 0.0;
        const double t = (u - 0.22) / 0.78;
        const double bulge = 4.0 * t * (1.0 - t) * (1.0 - 0.35 * t);
        return (left ? 27.0 : 18.0) * bulge;
    };
    auto inVane = [=](double px, double py) {
        const double u = along(px, py);
        const double v = across(px, py);
        return std::abs(v) <= halfWidth(u, v < 0);
    };
    auto vaneColour = [=](double px, double py) {
        const double u = along(px, py);
        const double v = across(px, py);
        const double edge = Clamp01(std::abs(v) / std::max(halfWidth(u, v < 0), 1.0));
        Colour colour = Mix(Rgb(0xFFFDF4), Rgb(0xB9CCEB), edge * edge);
        // Barbs: fine lines slanting from the shaft toward the tip.
        const double barb = u * 90.0 + std::abs(v) * 0.22;
        if (barb - std::floor(barb) < 0.22) colour = Mix(colour, Rgb(0x8FA6CF), 0.45);
        return colour;
    };
    canvas.FillShape(290, 8, 110, 185, inVane, vaneColour);
    // Shaft and nib.
    auto inShaft = [=](double px, double py) {
        const double u = along(px, py);
        const double v = across(px, py);
        const double width = u < 0.12 ? 1.0 + u / 0.12 * 1.2 : 2.2 - (u - 0.12) * 1.6;
        return u >= 0.0 && u <= 1.0 && std::abs(v) <= width;
    };
    canvas.FillShape(290, 8, 110, 185, inShaft, [=](double px, double py) {
        return along(px, py) < 0.1 ? Rgb(0x2B2B36) : Rgb(0xF3E3B8);
    });
}

}  // namespace

Canvas DrawButtonFace(std::string_view word) {
    Canvas face(kFaceWidth, kFaceHeight, kBlack);
    const Colour top = Rgb(0x2C46A8);
    const Colour bottom = Rgb(0x0F1B5C);
    for (int y = 0; y < kFaceHeight; ++y) {
        const Colour row = Mix(top, bottom, y / static_cast<double>(kFaceHeight - 1));
        for (int x = 0; x < kFaceWidth; ++x) {
            // A fine diagonal weave.
            Colour colour = row;
            if ((x + y) % 4 == 0) colour = Mix(row, Rgb(0x6F86E6), 0.22);
            else if ((x - y + kFaceWidth) % 4 == 0) colour = Mix(row, Rgb(0x020824), 0.30);
            face.Set(x, y, colour);
        }
    }
    // Two rings of bevel: light from the top left.
    const Colour light[] = {Rgb(0x93A6F2), Rgb(0x5068C8)};
    const Colour dark[] = {Rgb(0x050926), Rgb(0x0B1444)};
    for (int ring = 0; ring < 2; ++ring) {
        const int size = kFaceWidth - 2 * ring;
        const int height = kFaceHeight - 2 * ring;
        face.HorizontalLine(ring, ring, size, light[ring]);
        face.VerticalLine(ring, ring, height, light[ring]);
        face.HorizontalLine(ring, ring + height - 1, size, dark[ring]);
        face.VerticalLine(ring + size - 1, ring, height, dark[ring]);
    }
    const int width = BitmapFont::TextWidth(word, true);
    const int x = (kFaceWidth - width) / 2;
    constexpr int kTop = 4;
    BitmapFont::DrawText(face, x + 1, kTop + 1, word, Rgb(0x040A2C), true);
    BitmapFont::DrawText(face, x, kTop, word, kWhite, true);
    return face;
}

Canvas DrawBanner() {
    constexpr int kWidth = 400;
    constexpr int kHeight = 200;
    Canvas banner(kWidth, kHeight, kBlack);
    banner.Shade(0, 0, kWidth, kHeight, [](int x, int y) {
        const double t = (x * 0.6 + y) / (kWidth * 0.6 + kHeight);
        Colour colour = Mix(Rgb(0x0A1440), Rgb(0x1C5AA2), t);
        const double gx = x - 318.0;
        const double gy = y - 86.0;
        const double glow = 1.0 - (gx * gx + gy * gy) / (140.0 * 140.0);
        if (glow > 0) colour = Mix(colour, Rgb(0x5AA6EA), 0.5 * glow * glow);
        if (((x + 2 * y) / 14) % 2 == 0) colour = Mix(colour, kWhite, 0.035);
        return colour;
    });
    // A thin gold rule along the bottom.
    banner.Shade(0, kHeight - 4, kWidth, 2, [](int x, int) { return Mix(Rgb(0xB07A12), Rgb(0xFFD86A), x / 400.0); });

    DrawQuill(banner);

    auto solid = [](Colour colour) { return [colour](double, double) { return colour; }; };
    BitmapFont::DrawSmoothText(banner, 26, 16, 2.0, 2.0, "Corvalis presents", solid(Rgb(0xA9C6F0)));

    const double titleScale = 6.0;
    const double titleTop = 40.0;
    BitmapFont::DrawSmoothText(banner, 27, titleTop + 3, titleScale, 5.6, "Quillora", solid(Colour{0, 0, 0x10, 120}));
    BitmapFont::DrawSmoothText(banner, 24, titleTop, titleScale, 5.6, "Quillora", [=](double, double y) {
        const double t = Clamp01((y - titleTop) / (7.0 * titleScale));
        return t < 0.5 ? Mix(Rgb(0xFFF6C4), Rgb(0xF7CA45), t * 2.0) : Mix(Rgb(0xF7CA45), Rgb(0xC98512), (t - 0.5) * 2.0);
    });

    BitmapFont::DrawSmoothText(banner, 26, 96, 2.0, 2.0, "Turn plain articles into", solid(kWhite));
    BitmapFont::DrawSmoothText(banner, 26, 116, 2.0, 2.0, "web pages in one click", solid(kWhite));

    // The button that invites a click.
    const double bx = 26.0, by = 146.0, bw = 156.0, bh = 36.0;
    RoundedRect(banner, bx + 3, by + 4, bw, bh, 12.0, solid(Colour{0, 0, 0x10, 100}));
    RoundedRect(banner, bx, by, bw, bh, 12.0, solid(Rgb(0x8A3E00)));
    RoundedRect(banner, bx + 1.5, by + 1.5, bw - 3, bh - 3, 10.5, [=](double, double y) {
        return Mix(Rgb(0xFFC04A), Rgb(0xE2700E), Clamp01((y - by) / bh));
    });
    RoundedRect(banner, bx + 4, by + 3, bw - 8, bh / 2 - 3, 8.0, solid(Colour{255, 255, 255, 70}));
    const std::string_view label = "Click here";
    const double labelWidth = BitmapFont::SmoothTextWidth(label, 2.0);
    const double arrowWidth = 10.0;
    const double labelX = bx + (bw - labelWidth - arrowWidth - 8.0) / 2.0;
    const double labelTop = by + (bh - 7.0 * 2.0) / 2.0 - 1.0;
    BitmapFont::DrawSmoothText(banner, labelX + 1, labelTop + 1, 2.0, 2.2, label, solid(Colour{0x70, 0x28, 0, 200}));
    BitmapFont::DrawSmoothText(banner, labelX, labelTop, 2.0, 2.2, label, solid(kWhite));
    const double ax = labelX + labelWidth + 8.0;
    const double ay = labelTop + 7.0;
    banner.FillShape(static_cast<int>(ax) - 1, static_cast<int>(ay) - 8, 14, 16, [=](double px, double py) {
        return px >= ax && (px - ax) <= arrowWidth - std::abs(py - ay) * 1.4;
    }, solid(kWhite));
    return banner;
}

Canvas DrawGoldBall(int size) {
    Canvas ball(size, size);
    const double centre = size / 2.0;
    const double radius = size / 2.0 - 1.0;
    // Light from the upper left, in front of the picture.
    const double lx = -0.45, ly = -0.6, lz = 0.66;
    const double lightLength = std::sqrt(lx * lx + ly * ly + lz * lz);
    const double hx = lx / lightLength, hy = ly / lightLength, hz = lz / lightLength + 1.0;
    const double halfLength = std::sqrt(hx * hx + hy * hy + hz * hz);
    ball.FillShape(0, 0, size, size, [=](double px, double py) {
        const double dx = px - centre;
        const double dy = py - centre;
        return dx * dx + dy * dy <= radius * radius;
    }, [=](double px, double py) {
        const double nx = (px - centre) / radius;
        const double ny = (py - centre) / radius;
        const double d2 = std::min(nx * nx + ny * ny, 1.0);
        const double nz = std::sqrt(1.0 - d2);
        const double diffuse = Clamp01((nx * lx + ny * ly + nz * lz) / lightLength);
        Colour colour = diffuse < 0.5 ? Mix(Rgb(0x5E3400), Rgb(0xD39210), diffuse * 2.0)
                                      : Mix(Rgb(0xD39210), Rgb(0xFFE07A), (diffuse - 0.5) * 2.0);
        // Warm light thrown back from below.
        const double bounce = Clamp01((ny - 0.45) * 1.8) * Clamp01(1.0 - nz * 1.2);
        colour = Mix(colour, Rgb(0xF2B23C), bounce * 0.7);
        // Darker rim.
        if (d2 > 0.82) colour = Mix(colour, Rgb(0x4A2800), (d2 - 0.82) / 0.18 * 0.45);
        // Glossy highlight.
        const double specular = Clamp01((nx * hx + ny * hy + nz * hz) / halfLength);
        colour = Mix(colour, kWhite, 0.95 * PowerOfTwoPower(specular, 6));
        return colour;
    });
    // A soft window of reflected light over the upper half: the gloss.
    const double glossX = centre - 0.08 * radius, glossY = centre - 0.42 * radius;
    const double glossWidth = 0.66 * radius, glossHeight = 0.44 * radius;
    ball.FillShape(0, 0, size, size, [=](double px, double py) {
        const double ex = (px - glossX) / glossWidth;
        const double ey = (py - glossY) / glossHeight;
        return ex * ex + ey * ey <= 1.0;
    }, [=](double, double py) {
        const double t = Clamp01((py - (glossY - glossHeight)) / (2.0 * glossHeight));
        return Colour{255, 255, 240, static_cast<std::uint8_t>(150.0 * (1.0 - t) * (1.0 - t))};
    });
    return ball;
}

// ---- Help picture ----

namespace {

// Dialog units of the window to pixels of the picture. The picture starts at the frame around
// the working area, whose line runs half a text line below the frame's top.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;
constexpr double kLeftUnits = 7.0;
constexpr double kTopUnits = 141.0;

int PixelX(double units) { return static_cast<int>(std::floor((units - kLeftUnits) * kUnitX + 0.5)) + 2; }
int PixelY(double units) { return static_cast<int>(std::floor((units - kTopUnits) * kUnitY + 0.5)) + 2; }

struct Box {
    int x, y, width, height;
};

Box ToPixels(double x, double y, double width, double height) {
    return Box{PixelX(x), PixelY(y), PixelX(x + width) - PixelX(x), PixelY(y + height) - PixelY(y)};
}

constexpr Colour kText = Rgb(0x000000);
constexpr Colour kFrame = Rgb(0xA0A0A0);
constexpr Colour kEditBorder = Rgb(0x646464);
constexpr Colour kScrollTrough = Rgb(0xF0F0F0);
constexpr Colour kScrollButton = Rgb(0xDCDCDC);
constexpr Colour kScrollArrow = Rgb(0x404040);

// A static text of the window at its template position.
void Label(Canvas& canvas, double x, double y, std::string_view text) {
    BitmapFont::DrawText(canvas, PixelX(x), PixelY(y) + 2, text, kText);
}

void Triangle(Canvas& canvas, int centreX, int tipY, bool up) {
    for (int row = 0; row < 4; ++row) {
        const int y = up ? tipY + row : tipY - row;
        canvas.HorizontalLine(centreX - row, y, 2 * row + 1, kScrollArrow);
    }
}

void Edit(Canvas& canvas, const Box& box, const std::vector<std::string_view>& lines, bool scrollBar) {
    canvas.FrameRect(box.x, box.y, box.width, box.height, kEditBorder);
    // Multi-line fields, the ones with a scroll bar, start at the top; the others centre their line.
    const int top = scrollBar ? box.y + 3 : box.y + (box.height - 9) / 2 + 1;
    for (std::size_t i = 0; i < lines.size(); ++i)
        BitmapFont::DrawText(canvas, box.x + 4, top + static_cast<int>(i) * 13, lines[i], kText);
    if (!scrollBar) return;
    constexpr int kBarWidth = 17;
    const int x = box.x + box.width - 1 - kBarWidth;
    const int y = box.y + 1;
    const int height = box.height - 2;
    canvas.FillRect(x, y, kBarWidth, height, kScrollTrough);
    canvas.FillRect(x, y, kBarWidth, kBarWidth, kScrollButton);
    canvas.FillRect(x, y + height - kBarWidth, kBarWidth, kBarWidth, kScrollButton);
    Triangle(canvas, x + kBarWidth / 2, y + 6, true);
    Triangle(canvas, x + kBarWidth / 2, y + height - 7, false);
}

void PushButton(Canvas& canvas, const Box& box, std::string_view word) {
    canvas.FrameRect(box.x, box.y, box.width, box.height, Rgb(0x707070));
    canvas.Draw(DrawButtonFace(word), box.x + (box.width - kFaceWidth) / 2, box.y + (box.height - kFaceHeight) / 2);
}

void CheckBox(Canvas& canvas, const Box& box, std::string_view text, bool checked) {
    constexpr int kSize = 13;
    const int y = box.y + (box.height - kSize) / 2;
    canvas.FrameRect(box.x, y, kSize, kSize, Rgb(0x333333));
    if (checked) {
        // A tick, three pixels thick.
        const int points[][2] = {{3, 6}, {4, 7}, {5, 8}, {6, 7}, {7, 6}, {8, 5}, {9, 4}};
        for (const auto& point : points)
            canvas.VerticalLine(box.x + point[0], y + point[1] - 2, 3, kText);
    }
    BitmapFont::DrawText(canvas, box.x + kSize + 4, y + 2, text, kText);
}

}  // namespace

constexpr std::string_view kSampleTitles[] = {
    "Our Spring Newsletter", "Spring Newsletter", "The Spring Issue", "News From The Garden", "Ten Tips For Spring",
};

int HelpPictureTitleCount() { return static_cast<int>(std::size(kSampleTitles)); }

Canvas DrawHelpPicture(const HelpPictureStyle& style) {
    Canvas picture(406, 249, kWhite);

    // The frame around the working area.
    const Box frame{PixelX(7), PixelY(kTopUnits), PixelX(275) - PixelX(7), PixelY(292) - PixelY(kTopUnits)};
    picture.FrameRect(frame.x, frame.y, frame.width, frame.height, kFrame);

    Label(picture, 15, 151, "Please read the help before using this software     ........................");
    PushButton(picture, ToPixels(228, 148, 40, 12), "Help");

    Label(picture, 15, 170, "Template File");
    Edit(picture, ToPixels(69, 167, 151, 14), {"template.html"}, false);
    PushButton(picture, ToPixels(228, 167, 40, 12), "Select");

    Label(picture, 15, 188, "Article Number");
    Edit(picture, ToPixels(69, 185, 200, 14), {"1"}, false);

    Label(picture, 15, 206, "Article Title");
    Edit(picture, ToPixels(69, 203, 199, 14), {kSampleTitles[static_cast<std::size_t>(style.sampleTitle) % std::size(kSampleTitles)]}, false);

    Label(picture, 16, 224, "Article Text");
    const std::vector<std::string_view> sample = {
        "Welcome to the spring issue of our newsletter.",
        "This month we look at three easy ways to bring",
        "more visitors to your web site, starting with",
        "a fresh look at http://www.corvalis.example/",
        "and the articles you already have.",
    };
    const std::size_t lines = std::min<std::size_t>(static_cast<std::size_t>(std::max(style.sampleTextLines, 0)), sample.size());
    Edit(picture, ToPixels(69, 221, 199, 47), std::vector<std::string_view>(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(lines)), true);

    PushButton(picture, ToPixels(16, 272, 40, 12), "Paste");
    CheckBox(picture, ToPixels(69, 273, 121, 10), "Automatically update article index", true);
    PushButton(picture, ToPixels(228, 272, 40, 12), "Create");
    return picture;
}

}  // namespace quillora::tools
