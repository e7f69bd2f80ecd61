// The forms of the committed pictures, read field by field from their bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/Resources.h"
#include "ResourceBytes.h"

namespace quillora {
namespace {

using testing::I32;
using testing::U16;
using testing::U32;
using testing::U8;

std::uint32_t Stride(int width, int bitsPerPixel) { return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4); }

struct BitmapForm {
    int id;
    int width;
    int height;
    int bitsPerPixel;
};

class BitmapFormTest : public ::testing::TestWithParam<BitmapForm> {};

TEST_P(BitmapFormTest, IsAnUncompressedBottomUpBmpOfItsSizeAndDepth) {
    const BitmapForm form = GetParam();
    const std::string_view bmp = resources::Bitmap(form.id);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(U32(bmp, 2), bmp.size());
    EXPECT_EQ(U32(bmp, 14), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(I32(bmp, 18), form.width);
    EXPECT_EQ(I32(bmp, 22), form.height) << "positive: rows from the bottom";
    EXPECT_EQ(U16(bmp, 26), 1u);
    EXPECT_EQ(U16(bmp, 28), static_cast<std::uint32_t>(form.bitsPerPixel));
    EXPECT_EQ(U32(bmp, 30), 0u) << "BI_RGB, uncompressed";

    const std::uint32_t paletteEntries = form.bitsPerPixel == 8 ? (U32(bmp, 46) == 0 ? 256u : U32(bmp, 46)) : 0u;
    if (form.bitsPerPixel == 8) {
        EXPECT_EQ(paletteEntries, 256u);
    }
    const std::uint32_t pixelsAt = 14 + 40 + 4 * paletteEntries;
    EXPECT_EQ(U32(bmp, 10), pixelsAt);
    EXPECT_EQ(bmp.size(), pixelsAt + Stride(form.width, form.bitsPerPixel) * static_cast<std::uint32_t>(form.height));
}

INSTANTIATE_TEST_SUITE_P(Pictures, BitmapFormTest,
                         ::testing::Values(BitmapForm{133, 400, 200, 24}, BitmapForm{160, 58, 16, 8}, BitmapForm{161, 58, 16, 8},
                                           BitmapForm{162, 58, 16, 8}, BitmapForm{266, 58, 16, 8}),
                         [](const auto& param) { return "Bitmap" + std::to_string(param.param.id); });

TEST(BitmapIdTest, OnlyTheFivePicturesHaveBytes) {
    for (int id : {0, -1, 128, 132, 134, 159, 163, 265, 267, 102, 1048})
        EXPECT_TRUE(resources::Bitmap(id).empty()) << id;
    // The four faces are four different pictures.
    const std::set<std::string_view> faces = {resources::Bitmap(160), resources::Bitmap(161), resources::Bitmap(162),
                                              resources::Bitmap(266)};
    EXPECT_EQ(faces.size(), 4u);
}

TEST(IconFormTest, HoldsEightImagesOfFourSizesInTwoDepths) {
    const std::string_view icon = resources::Icon();
    ASSERT_GE(icon.size(), 6u + 16u * 8u);
    EXPECT_EQ(U16(icon, 0), 0u);
    EXPECT_EQ(U16(icon, 2), 1u) << "an icon, not a cursor";
    const auto entries = testing::IconDirectory(icon);
    ASSERT_EQ(entries.size(), 8u);

    std::set<std::pair<int, int>> kinds;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t at = 6 + 16 * i;
        EXPECT_EQ(U8(icon, at + 2), 0u) << "colour count of 256-colour and deeper images";
        EXPECT_EQ(U8(icon, at + 3), 0u);
        EXPECT_EQ(U16(icon, at + 4), 1u) << "planes";
        EXPECT_EQ(entries[i].width, entries[i].height);
        kinds.insert({entries[i].width, entries[i].bitsPerPixel});
    }
    const std::set<std::pair<int, int>> expected = {{16, 8}, {16, 32}, {24, 8}, {24, 32}, {32, 8}, {32, 32}, {48, 8}, {48, 32}};
    EXPECT_EQ(kinds, expected);
}

TEST(IconFormTest, EachImageIsABitmapWithColourAndMaskThatFillsItsRange) {
    const std::string_view icon = resources::Icon();
    auto entries = testing::IconDirectory(icon);
    ASSERT_EQ(entries.size(), 8u);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    std::uint32_t expectedOffset = 6 + 16 * 8;
    for (const auto& entry : entries) {
        SCOPED_TRACE(std::to_string(entry.width) + " pixels, " + std::to_string(entry.bitsPerPixel) + " bits");
        EXPECT_EQ(entry.offset, expectedOffset) << "images follow each other without gaps or overlaps";
        ASSERT_LE(static_cast<std::size_t>(entry.offset) + entry.size, icon.size());
        const std::string_view image = icon.substr(entry.offset, entry.size);
        ASSERT_GE(image.size(), 40u);
        EXPECT_EQ(U32(image, 0), 40u);
        EXPECT_EQ(I32(image, 4), entry.width);
        EXPECT_EQ(I32(image, 8), 2 * entry.height) << "colour rows and mask rows";
        EXPECT_EQ(U16(image, 12), 1u);
        EXPECT_EQ(U16(image, 14), static_cast<std::uint32_t>(entry.bitsPerPixel));
        EXPECT_EQ(U32(image, 16), 0u);
        const std::uint32_t palette = entry.bitsPerPixel == 8 ? 4 * 256 : 0;
        const std::uint32_t colour = Stride(entry.width, entry.bitsPerPixel) * static_cast<std::uint32_t>(entry.height);
        const std::uint32_t mask = Stride(entry.width, 1) * static_cast<std::uint32_t>(entry.height);
        EXPECT_EQ(entry.size, 40 + palette + colour + mask);
        expectedOffset = entry.offset + entry.size;
    }
    EXPECT_EQ(expectedOffset, icon.size());
}

// Walks the blocks of a GIF file and records what it meets.
struct GifLayout {
    std::string error;  // empty when the file is well formed
    int width = 0;
    int height = 0;
    int globalColours = 0;
    int controlExtensions = 0;
    int otherExtensions = 0;
    bool transparency = false;
    int images = 0;
    bool fullSize = false;
    bool interlaced = false;
    bool localColours = false;
    int lzwCodeSize = 0;
    bool trailerLast = false;
};

GifLayout ReadGifLayout(std::string_view gif) {
    GifLayout layout;
    if (gif.size() < 13 || gif.substr(0, 6) != "GIF89a") return layout.error = "no GIF89a header", layout;
    layout.width = static_cast<int>(U16(gif, 6));
    layout.height = static_cast<int>(U16(gif, 8));
    const std::uint32_t packed = U8(gif, 10);
    std::size_t at = 13;
    if (packed & 0x80) {
        layout.globalColours = 2 << (packed & 7);
        at += 3 * static_cast<std::size_t>(layout.globalColours);
    }
    auto skipSubBlocks = [&]() {
        while (at < gif.size()) {
            const std::size_t length = U8(gif, at);
            at += 1 + length;
            if (length == 0) return true;
        }
        return false;
    };
    while (at < gif.size()) {
        const std::uint32_t introducer = U8(gif, at);
        if (introducer == 0x3B) {
            layout.trailerLast = at + 1 == gif.size();
            return layout;
        }
        if (introducer == 0x21) {
            if (at + 2 >= gif.size()) break;
            if (U8(gif, at + 1) == 0xF9) {
                ++layout.controlExtensions;
                if (U8(gif, at + 2) != 4) return layout.error = "control extension of the wrong size", layout;
                layout.transparency = (U8(gif, at + 3) & 1) != 0;
            } else {
                ++layout.otherExtensions;
            }
            at += 2;
            if (!skipSubBlocks()) break;
        } else if (introducer == 0x2C) {
            if (at + 11 >= gif.size()) break;
            ++layout.images;
            layout.fullSize = U16(gif, at + 1) == 0 && U16(gif, at + 3) == 0 &&
                              static_cast<int>(U16(gif, at + 5)) == layout.width && static_cast<int>(U16(gif, at + 7)) == layout.height;
            const std::uint32_t imagePacked = U8(gif, at + 9);
            layout.localColours = (imagePacked & 0x80) != 0;
            layout.interlaced = (imagePacked & 0x40) != 0;
            layout.lzwCodeSize = static_cast<int>(U8(gif, at + 10));
            at += 11;
            if (!skipSubBlocks()) break;
        } else {
            return layout.error = "unknown block " + std::to_string(introducer), layout;
        }
    }
    layout.error = "file ends inside a block or without a trailer";
    return layout;
}

TEST(HelpPictureFormTest, IsOneFullSizeImageWithAGlobalTableAndOneControlExtension) {
    const std::string_view gif = resources::HelpPicture();
    EXPECT_EQ(gif.size(), 5225u);
    const GifLayout layout = ReadGifLayout(gif);
    ASSERT_EQ(layout.error, "");
    EXPECT_EQ(layout.width, 406);
    EXPECT_EQ(layout.height, 249);
    EXPECT_EQ(layout.globalColours, 256);
    EXPECT_EQ(layout.controlExtensions, 1);
    EXPECT_FALSE(layout.transparency);
    EXPECT_EQ(layout.otherExtensions, 0) << "no comments or application blocks";
    EXPECT_EQ(layout.images, 1);
    EXPECT_TRUE(layout.fullSize);
    EXPECT_FALSE(layout.interlaced);
    EXPECT_FALSE(layout.localColours);
    EXPECT_EQ(layout.lzwCodeSize, 8);
    EXPECT_TRUE(layout.trailerLast) << "nothing after the trailer";
}

TEST(HelpPictureFormTest, TheWalkerRejectsBrokenFiles) {
    // The walker above must notice what it is meant to check.
    std::string gif(resources::HelpPicture());
    EXPECT_NE(ReadGifLayout(gif.substr(0, gif.size() - 1)).error, "") << "no trailer";
    EXPECT_FALSE(ReadGifLayout(gif + "x").trailerLast);
    std::string withComment = gif;
    withComment.insert(13 + 768, std::string("\x21\xFE\x02hi\x00", 6));
    EXPECT_EQ(ReadGifLayout(withComment).otherExtensions, 1);
}


// ---- The PNG files of the desktop's icon theme ----

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    return U8(bytes, at) << 24 | U8(bytes, at + 1) << 16 | U8(bytes, at + 2) << 8 | U8(bytes, at + 3);
}

// CRC-32 bit by bit, as the PNG format defines it.
std::uint32_t ChunkCrc(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct PngChunk {
    std::string type;
    std::string_view data;
    bool crcMatches = false;
};

// The chunks of a PNG file; error is empty when the signature is there and the last chunk
// ends exactly at the end of the file.
struct PngLayout {
    std::string error;
    std::vector<PngChunk> chunks;
};

PngLayout ReadPngLayout(std::string_view png) {
    PngLayout layout;
    if (png.substr(0, 8) != std::string_view("\x89PNG\r\n\x1A\n", 8)) return layout.error = "no PNG signature", layout;
    std::size_t at = 8;
    while (at < png.size()) {
        if (png.size() - at < 12) return layout.error = "file ends inside a chunk", layout;
        const std::size_t length = BigEndian32(png, at);
        if (png.size() - at - 12 < length) return layout.error = "chunk longer than the file", layout;
        PngChunk chunk;
        chunk.type = std::string(png.substr(at + 4, 4));
        chunk.data = png.substr(at + 8, length);
        chunk.crcMatches = ChunkCrc(png.substr(at + 4, 4 + length)) == BigEndian32(png, at + 8 + length);
        layout.chunks.push_back(chunk);
        at += 12 + length;
    }
    return layout;
}

class IconPngFormTest : public ::testing::TestWithParam<int> {};

TEST_P(IconPngFormTest, IsAnRgbaPngOfItsSizeWithCheckedChunksAndOneZlibStream) {
    const int size = GetParam();
    const std::string png = testing::CommittedResource("icons/quillora-" + std::to_string(size) + ".png");
    const PngLayout layout = ReadPngLayout(png);
    ASSERT_EQ(layout.error, "");
    ASSERT_GE(layout.chunks.size(), 3u);
    for (const auto& chunk : layout.chunks) EXPECT_TRUE(chunk.crcMatches) << chunk.type;

    const PngChunk& header = layout.chunks.front();
    EXPECT_EQ(header.type, "IHDR");
    ASSERT_EQ(header.data.size(), 13u);
    EXPECT_EQ(BigEndian32(header.data, 0), static_cast<std::uint32_t>(size));
    EXPECT_EQ(BigEndian32(header.data, 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(header.data.substr(8), std::string_view("\x08\x06\0\0\0", 5)) << "8-bit RGBA, deflate, adaptive filters, not interlaced";

    EXPECT_EQ(layout.chunks.back().type, "IEND");
    EXPECT_TRUE(layout.chunks.back().data.empty());
    std::string stream;
    for (std::size_t i = 1; i + 1 < layout.chunks.size(); ++i) {
        EXPECT_EQ(layout.chunks[i].type, "IDAT") << "nothing but image data between the header and the end";
        stream += layout.chunks[i].data;
    }
    ASSERT_GE(stream.size(), 2u + 4u);
    const std::uint32_t method = U8(stream, 0);
    const std::uint32_t flags = U8(stream, 1);
    EXPECT_EQ(method & 0x0F, 8u) << "deflate";
    EXPECT_LE(method >> 4, 7u) << "a window of at most 32 KiB";
    EXPECT_EQ((method * 256 + flags) % 31, 0u) << "header check";
    EXPECT_EQ(flags & 0x20, 0u) << "no preset dictionary";
}

INSTANTIATE_TEST_SUITE_P(Sizes, IconPngFormTest, ::testing::Values(16, 24, 32, 48, 64, 128, 256),
                         [](const auto& size) { return "Pixels" + std::to_string(size.param); });

TEST(IconPngFormTest, TheWalkerNoticesBrokenFiles) {
    // The walker above must notice what it is meant to check.
    const std::string png = testing::CommittedResource("icons/quillora-16.png");
    ASSERT_EQ(ReadPngLayout(png).error, "");
    EXPECT_NE(ReadPngLayout(png.substr(0, png.size() - 1)).error, "") << "cut short";
    EXPECT_NE(ReadPngLayout("x" + png.substr(1)).error, "") << "no signature";
    std::string flipped = png;
    const std::size_t imageData = 8 + (12 + 13) + 8;  // behind the signature, the header chunk and the IDAT length and type
    flipped[imageData + 5] ^= 0x10;
    const PngLayout layout = ReadPngLayout(flipped);
    ASSERT_EQ(layout.error, "");
    EXPECT_TRUE(layout.chunks[0].crcMatches);
    EXPECT_FALSE(layout.chunks[1].crcMatches);
}

}  // namespace
}  // namespace quillora
