// The embedded pictures read back with Qt's own image readers.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <set>
#include <string>

#include "ImageFiles.h"
#include "ResourceBytes.h"
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

INSTANTIATE_TEST_SUITE_P(Faces, FaceImageTest, ::testing::Values(160, 161, 162, 266));

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
    const std::uint32_t offset = 6 + 16;
    for (int shift = 0; shift < 32; shift += 8) single.push_back(static_cast<char>((offset >> shift) & 0xFF));
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

}  // namespace
}  // namespace quillora
