// The committed pictures, and the generator's own writers, read back with Qt's image readers.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <set>
#include <string>
#include <vector>

#include "ImageFiles.h"
#include "Pictures.h"
#include "ResourceBytes.h"
#include "engine/LittleEndian.h"
#include "resources/Resources.h"

namespace quillora {
namespace {

QByteArray Bytes(std::string_view bytes) { return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())); }

QImage Read(std::string_view bytes, const char* format) {
    QByteArray data = Bytes(bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer, format);
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << format << ": " << reader.errorString().toStdString();
    return image;
}

bool IsWhite(QRgb pixel) { return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255; }

class FaceImageTest : public ::testing::TestWithParam<int> {};

TEST_P(FaceImageTest, IsAPaletteImageOfWhiteLettersOnDarkBlue) {
    const QImage face = Read(resources::Bitmap(GetParam()), "BMP");
    ASSERT_FALSE(face.isNull());
    EXPECT_EQ(face.size(), QSize(58, 16));
    EXPECT_EQ(face.format(), QImage::Format_Indexed8);
    EXPECT_EQ(face.colorCount(), 256);
    int white = 0;
    int darkBlue = 0;
    for (int y = 0; y < face.height(); ++y) {
        for (int x = 0; x < face.width(); ++x) {
            const QRgb pixel = face.pixel(x, y);
            if (IsWhite(pixel)) ++white;
            else if (qBlue(pixel) > qRed(pixel) && qBlue(pixel) >= qGreen(pixel) && qGray(pixel) < 100) ++darkBlue;
        }
    }
    EXPECT_GE(white, 30) << "the word";
    EXPECT_GE(darkBlue, face.width() * face.height() * 6 / 10) << "the face";
}

INSTANTIATE_TEST_SUITE_P(Faces, FaceImageTest, ::testing::Values(160, 161, 162, 266),
                         [](const auto& id) { return "Bitmap" + std::to_string(id.param); });

TEST(BannerImageTest, IsATrueColourPictureOfFourHundredByTwoHundred) {
    const QImage banner = Read(resources::Bitmap(133), "BMP");
    ASSERT_FALSE(banner.isNull());
    EXPECT_EQ(banner.size(), QSize(400, 200));
    EXPECT_EQ(banner.format(), QImage::Format_RGB32) << "24-bit colour without alpha";
    std::set<QRgb> colours;
    for (int y = 0; y < banner.height(); ++y)
        for (int x = 0; x < banner.width(); ++x) colours.insert(banner.pixel(x, y));
    EXPECT_GT(colours.size(), 256u) << "more colours than a palette holds";
}

// An icon file holding only the one image of the entry, for Qt to read on its own.
std::string SingleImageIcon(std::string_view icon, std::size_t index, const testing::IconEntry& entry) {
    std::string single("\0\0\1\0\1\0", 6);
    single.append(icon.substr(6 + 16 * index, 12));
    single.append(LittleEndian32(6 + 16));  // where the image starts
    single.append(icon.substr(entry.offset, entry.size));
    return single;
}

TEST(IconImageTest, EveryImageReadsAsAGoldBallOnAClearGround) {
    const std::string_view icon = resources::Icon();
    {
        QByteArray data = Bytes(icon);
        QBuffer buffer(&data);
        QImageReader reader(&buffer, "ICO");
        EXPECT_EQ(reader.imageCount(), 8);
    }
    const auto entries = testing::IconDirectory(icon);
    ASSERT_EQ(entries.size(), 8u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& entry = entries[i];
        SCOPED_TRACE(std::to_string(entry.width) + " pixels, " + std::to_string(entry.bitsPerPixel) + " bits");
        const QImage image = Read(SingleImageIcon(icon, i, entry), "ICO").convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(entry.width, entry.height));
        const int last = entry.width - 1;
        for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}})
            EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << "corner " << x << "," << y;
        // Below the highlight the ball is opaque gold: red over green over blue.
        const QRgb body = image.pixel(entry.width / 2, entry.width * 3 / 4);
        EXPECT_EQ(qAlpha(body), 255);
        EXPECT_GT(qRed(body), qGreen(body));
        EXPECT_GT(qGreen(body), qBlue(body) + 40);
    }
}

TEST(HelpPictureImageTest, IsOneImageOfTheWorkingAreaWithTheFourButtonFaces) {
    QByteArray data = Bytes(resources::HelpPicture());
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "GIF");
    EXPECT_EQ(reader.imageCount(), 1);
    const QImage picture = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull()) << reader.errorString().toStdString();
    ASSERT_EQ(picture.size(), QSize(406, 249));

    int white = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) white += IsWhite(picture.pixel(x, y));
    EXPECT_GT(white, picture.width() * picture.height() / 2) << "the window's white ground";

    // Each button shows its face bitmap exactly, once.
    for (int id : {160, 161, 162, 266}) {
        const QImage face = Read(resources::Bitmap(id), "BMP").convertToFormat(QImage::Format_RGB32);
        int found = 0;
        for (int y = 0; y + face.height() <= picture.height(); ++y) {
            for (int x = 0; x + face.width() <= picture.width(); ++x) {
                bool same = true;
                for (int fy = 0; fy < face.height() && same; ++fy)
                    for (int fx = 0; fx < face.width() && same; ++fx) same = picture.pixel(x + fx, y + fy) == face.pixel(fx, fy);
                found += same;
            }
        }
        EXPECT_EQ(found, 1) << "face " << id;
    }
}

// The generator's GIF writer, on a picture that its own drawings never make: half noise that
// overflows the LZW table many times and forces the longest codes, half long runs.
TEST(GifWriterTest, QtReadsBackEveryPixelWhateverTheRestarts) {
    tools::IndexedImage image;
    image.width = 301;
    image.height = 200;
    for (int i = 0; i < 256; ++i)
        image.palette.push_back(tools::Colour{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                              static_cast<std::uint8_t>(i / 2), 255});
    std::uint32_t state = 12345;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.indices.push_back(static_cast<std::uint8_t>(y < 100 ? state >> 24 : (x / 7 + y / 5) % 3 * 40));
        }
    }
    for (int restart : {-1, 1, 255, 256, 3837, 3838, 20000}) {
        SCOPED_TRACE("restart after " + std::to_string(restart));
        const QImage picture = Read(tools::EncodeGif(image, restart), "GIF");
        ASSERT_EQ(picture.size(), QSize(image.width, image.height));
        int wrong = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                const tools::Colour expected = image.palette[image.indices[static_cast<std::size_t>(y * image.width + x)]];
                const QRgb pixel = picture.pixel(x, y);
                wrong += qRed(pixel) != expected.r || qGreen(pixel) != expected.g || qBlue(pixel) != expected.b;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}


// How many pixels of the image differ from the canvas, alpha and the colour of clear pixels included.
int DifferentPixels(const QImage& read, const tools::Canvas& canvas) {
    const QImage image = read.convertToFormat(QImage::Format_ARGB32);
    int wrong = 0;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const tools::Colour expected = canvas.Get(x, y);
            wrong += qRed(pixel) != expected.r || qGreen(pixel) != expected.g || qBlue(pixel) != expected.b ||
                     qAlpha(pixel) != expected.a;
        }
    }
    return wrong;
}

class IconThemePngTest : public ::testing::TestWithParam<int> {};

TEST_P(IconThemePngTest, IsTheGoldBallOfItsSizePixelForPixel) {
    const int size = GetParam();
    const QImage image = Read(testing::CommittedResource("icons/quillora-" + std::to_string(size) + ".png"), "PNG");
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(size, size));
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(DifferentPixels(image, tools::DrawGoldBall(size)), 0);
    const int last = size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, last}, std::pair{last, last}})
        EXPECT_EQ(qAlpha(image.pixel(x, y)), 0) << "corner " << x << "," << y;
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << "centre";
}

INSTANTIATE_TEST_SUITE_P(Sizes, IconThemePngTest, ::testing::Values(16, 24, 32, 48, 64, 128, 256),
                         [](const auto& size) { return "Pixels" + std::to_string(size.param); });

// ---- The PNG writer on pictures its drawings never make ----

// Pseudo-random bytes from a fixed seed.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    std::uint8_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state_ >> 24);
    }
    tools::Colour NextColour() { return tools::Colour{Next(), Next(), Next(), Next()}; }

private:
    std::uint32_t state_;
};

// Rows of noise in which every period-th row repeats an earlier one: the only matches the
// compressor can find lie period rows back.
tools::Canvas RepeatingNoise(int width, int height, int period) {
    tools::Canvas canvas(width, height);
    Noise noise(99);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) canvas.Set(x, y, y < period ? noise.NextColour() : canvas.Get(x, y - period));
    return canvas;
}

struct PngCase {
    const char* name;
    tools::Canvas canvas;
};

std::vector<PngCase> PngCases() {
    std::vector<PngCase> cases;
    cases.push_back({"one pixel", tools::Canvas(1, 1, tools::Colour{10, 200, 30, 128})});

    tools::Canvas distinct(7, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            distinct.Set(x, y, tools::Colour{static_cast<std::uint8_t>(36 * x), static_cast<std::uint8_t>(100 * y),
                                             static_cast<std::uint8_t>(255 - 30 * x - y), static_cast<std::uint8_t>(40 + 25 * x + 9 * y)});
    distinct.Set(6, 2, tools::Colour{200, 100, 50, 0});  // a clear pixel keeps its colour
    cases.push_back({"seven by three distinct pixels", distinct});

    cases.push_back({"one colour, 300 by 2", tools::Canvas(300, 2, tools::Colour{1, 2, 3, 4})});

    tools::Canvas noisy(61, 47);
    Noise noise(7);
    for (int y = 0; y < noisy.Height(); ++y)
        for (int x = 0; x < noisy.Width(); ++x) noisy.Set(x, y, noise.NextColour());
    cases.push_back({"noise", noisy});

    // Steep slopes that wrap around, for every filter to predict some rows best.
    tools::Canvas slopes(97, 80);
    for (int y = 0; y < slopes.Height(); ++y)
        for (int x = 0; x < slopes.Width(); ++x)
            slopes.Set(x, y, tools::Colour{static_cast<std::uint8_t>(7 * x + 3 * y), static_cast<std::uint8_t>(x * y),
                                           static_cast<std::uint8_t>((x ^ y) * 5), static_cast<std::uint8_t>(255 - x - y)});
    cases.push_back({"wrapping slopes", slopes});

    // A row of 128 pixels filters to 513 bytes: repeats 60 rows back lie inside the 32 KiB
    // window, repeats 70 rows back lie beyond it.
    cases.push_back({"noise repeating inside the window", RepeatingNoise(128, 150, 60)});
    cases.push_back({"noise repeating beyond the window", RepeatingNoise(128, 150, 70)});
    return cases;
}

// The zlib stream of the IDAT chunks inflated by Qt's zlib, which checks its Adler-32; empty
// when the stream does not inflate to exactly rawSize bytes.
QByteArray InflatedImageData(const std::string& png, std::size_t rawSize) {
    auto bigEndian = [&](std::size_t at) {
        return static_cast<std::size_t>(testing::U8(png, at) << 24 | testing::U8(png, at + 1) << 16 | testing::U8(png, at + 2) << 8 |
                                        testing::U8(png, at + 3));
    };
    QByteArray stream;
    for (int shift = 24; shift >= 0; shift -= 8) stream.append(static_cast<char>((rawSize >> shift) & 0xFF));
    for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + bigEndian(at))
        if (png.compare(at + 4, 4, "IDAT") == 0) stream.append(png.data() + at + 8, static_cast<qsizetype>(bigEndian(at)));
    const QByteArray raw = qUncompress(stream);
    return static_cast<std::size_t>(raw.size()) == rawSize ? raw : QByteArray();
}

TEST(PngWriterTest, QtReadsBackEveryPixelExactly) {
    for (const PngCase& test : PngCases()) {
        SCOPED_TRACE(test.name);
        const tools::Canvas& canvas = test.canvas;
        const std::string png = tools::EncodePng(canvas);
        const QImage image = Read(png, "PNG");
        ASSERT_FALSE(image.isNull());
        ASSERT_EQ(image.size(), QSize(canvas.Width(), canvas.Height()));
        EXPECT_EQ(DifferentPixels(image, canvas), 0);

        const std::size_t rowBytes = 1 + 4 * static_cast<std::size_t>(canvas.Width());
        const QByteArray raw = InflatedImageData(png, rowBytes * static_cast<std::size_t>(canvas.Height()));
        ASSERT_FALSE(raw.isEmpty()) << "the zlib stream, its length or its Adler-32 is wrong";
        for (int y = 0; y < canvas.Height(); ++y)
            EXPECT_LE(static_cast<unsigned char>(raw[static_cast<qsizetype>(rowBytes) * y]), 4) << "filter type of row " << y;
        EXPECT_EQ(tools::EncodePng(canvas), png) << "the same picture gives the same bytes";
    }
}

TEST(PngWriterTest, RunsAndRepeatsInsideTheWindowShrink) {
    const std::string run = tools::EncodePng(tools::Canvas(300, 2, tools::Colour{1, 2, 3, 4}));
    EXPECT_LT(run.size(), 100u) << "2,402 bytes of rows, almost all of them one long run";
    const std::string noise = tools::EncodePng(RepeatingNoise(128, 150, 150));
    const std::string repeats = tools::EncodePng(RepeatingNoise(128, 150, 60));
    EXPECT_LT(repeats.size(), noise.size() / 2) << "noise that repeats every 60 rows";
}

}  // namespace
}  // namespace quillora
