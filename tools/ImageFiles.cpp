#include "ImageFiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "Deflate.h"
#include "GifLzw.h"

namespace quillora::tools {
namespace {

constexpr int kPixelsPerMetre = 3780;  // 96 dots per inch

class Bytes {
public:
    void U8(std::uint32_t value) { text_.push_back(static_cast<char>(value & 0xFF)); }
    void U16(std::uint32_t value) {
        U8(value);
        U8(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16);
    }
    void Text(const std::string& text) { text_ += text; }
    void Zeros(std::size_t count) { text_.append(count, '\0'); }
    std::size_t Size() const { return text_.size(); }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

std::uint32_t Stride(int width, int bitsPerPixel) {
    return static_cast<std::uint32_t>((width * bitsPerPixel + 31) / 32 * 4);
}

void InfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t imageSize, std::uint32_t coloursUsed) {
    out.U32(40);
    out.U32(static_cast<std::uint32_t>(width));
    out.U32(static_cast<std::uint32_t>(height));
    out.U16(1);
    out.U16(static_cast<std::uint32_t>(bitsPerPixel));
    out.U32(0);  // BI_RGB
    out.U32(imageSize);
    out.U32(kPixelsPerMetre);
    out.U32(kPixelsPerMetre);
    out.U32(coloursUsed);
    out.U32(0);
}

void Palette(Bytes& out, const std::vector<Colour>& palette) {
    for (const Colour& colour : palette) {
        out.U8(colour.b);
        out.U8(colour.g);
        out.U8(colour.r);
        out.U8(0);
    }
}

void IndexedRows(Bytes& out, const IndexedImage& image) {
    const std::uint32_t stride = Stride(image.width, 8);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) out.U8(image.indices[static_cast<std::size_t>(y * image.width + x)]);
        out.Zeros(stride - static_cast<std::uint32_t>(image.width));
    }
}

void FileHeader(Bytes& out, std::uint32_t fileSize, std::uint32_t dataOffset) {
    out.Text("BM");
    out.U32(fileSize);
    out.U32(0);
    out.U32(dataOffset);
}

// The AND mask of an icon image: a set bit leaves the screen pixel showing.
void Mask(Bytes& out, const Canvas& picture, int alphaBelow) {
    const std::uint32_t stride = Stride(picture.Width(), 1);
    for (int y = picture.Height() - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.Get(x, y).a < alphaBelow) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        for (std::uint8_t byte : row) out.U8(byte);
    }
}

std::string IconBitmap(const Canvas& picture, int bitsPerPixel) {
    const int width = picture.Width();
    const int height = picture.Height();
    const std::uint32_t maskSize = Stride(width, 1) * static_cast<std::uint32_t>(height);
    Bytes out;
    if (bitsPerPixel == 8) {
        // Hidden pixels are black, so that the colour image leaves the screen unchanged there.
        constexpr int kVisible = 128;
        Canvas solid(width, height, Colour{0, 0, 0, 255});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Colour c = picture.Get(x, y); c.a >= kVisible) solid.Set(x, y, Colour{c.r, c.g, c.b, 255});
        const IndexedImage image = Quantize(solid, {Colour{0, 0, 0, 255}});
        InfoHeader(out, width, height * 2, 8, Stride(width, 8) * static_cast<std::uint32_t>(height) + maskSize, 0);
        Palette(out, image.palette);
        IndexedRows(out, image);
        Mask(out, picture, kVisible);
    } else if (bitsPerPixel == 32) {
        InfoHeader(out, width, height * 2, 32, Stride(width, 32) * static_cast<std::uint32_t>(height) + maskSize, 0);
        for (int y = height - 1; y >= 0; --y) {
            for (int x = 0; x < width; ++x) {
                Colour c = picture.Get(x, y);
                if (c.a == 0) c = Colour{0, 0, 0, 0};
                out.U8(c.b);
                out.U8(c.g);
                out.U8(c.r);
                out.U8(c.a);
            }
        }
        Mask(out, picture, 1);
    } else {
        throw std::invalid_argument("icon images are 8 or 32 bits per pixel");
    }
    return out.Take();
}

// A big-endian field, as PNG writes its numbers.
void BigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PngChunk(std::string& png, std::string_view type, std::string_view data) {
    BigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type) + std::string(data);
    png += body;
    BigEndian32(png, Crc32(body));
}

int Paeth(int left, int above, int aboveLeft) {
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft) return left;
    return toAbove <= toAboveLeft ? above : aboveLeft;
}

// What PNG filter type 0 to 4 (none, sub, up, average, Paeth) predicts a byte to be from the
// bytes of the pixel to its left, above it and above to the left.
int Predicted(int type, int left, int up, int upLeft) {
    switch (type) {
        case 1: return left;
        case 2: return up;
        case 3: return (left + up) / 2;
        case 4: return Paeth(left, up, upLeft);
        default: return 0;
    }
}

// A row of RGBA bytes after the filter of the given type, led by the type byte. above is the
// unfiltered row before it, zeros for the first row.
std::string FilterRow(int type, std::string_view row, std::string_view above) {
    constexpr std::size_t kBytesPerPixel = 4;
    std::string filtered(1, static_cast<char>(type));
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= kBytesPerPixel ? static_cast<unsigned char>(row[i - kBytesPerPixel]) : 0;
        const int up = static_cast<unsigned char>(above[i]);
        const int upLeft = i >= kBytesPerPixel ? static_cast<unsigned char>(above[i - kBytesPerPixel]) : 0;
        filtered.push_back(static_cast<char>(static_cast<unsigned char>(row[i]) - Predicted(type, left, up, upLeft)));
    }
    return filtered;
}

// How far the filtered bytes lie from zero, bytes taken as signed.
int FilterCost(std::string_view filtered) {
    int cost = 0;
    for (std::size_t i = 1; i < filtered.size(); ++i) cost += std::abs(static_cast<int>(static_cast<signed char>(filtered[i])));
    return cost;
}

}  // namespace

std::string EncodeBmp8(const IndexedImage& image) {
    const std::uint32_t dataOffset = 14 + 40 + 4 * 256;
    const std::uint32_t imageSize = Stride(image.width, 8) * static_cast<std::uint32_t>(image.height);
    Bytes out;
    FileHeader(out, dataOffset + imageSize, dataOffset);
    InfoHeader(out, image.width, image.height, 8, imageSize, 256);
    Palette(out, image.palette);
    IndexedRows(out, image);
    return out.Take();
}

std::string EncodeBmp24(const Canvas& canvas) {
    const std::uint32_t dataOffset = 14 + 40;
    const std::uint32_t stride = Stride(canvas.Width(), 24);
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(canvas.Height());
    Bytes out;
    FileHeader(out, dataOffset + imageSize, dataOffset);
    InfoHeader(out, canvas.Width(), canvas.Height(), 24, imageSize, 0);
    for (int y = canvas.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const Colour c = canvas.Get(x, y);
            out.U8(c.b);
            out.U8(c.g);
            out.U8(c.r);
        }
        out.Zeros(stride - static_cast<std::uint32_t>(canvas.Width() * 3));
    }
    return out.Take();
}

std::string EncodeIcon(const std::vector<IconImage>& images) {
    std::vector<std::string> bitmaps;
    for (const auto& image : images) bitmaps.push_back(IconBitmap(*image.picture, image.bitsPerPixel));
    Bytes out;
    out.U16(0);
    out.U16(1);  // icon
    out.U16(static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Canvas& picture = *images[i].picture;
        out.U8(static_cast<std::uint32_t>(picture.Width() % 256));
        out.U8(static_cast<std::uint32_t>(picture.Height() % 256));
        out.U8(0);  // colour count: 0 for 256 colours and more
        out.U8(0);
        out.U16(1);
        out.U16(static_cast<std::uint32_t>(images[i].bitsPerPixel));
        out.U32(static_cast<std::uint32_t>(bitmaps[i].size()));
        out.U32(offset);
        offset += static_cast<std::uint32_t>(bitmaps[i].size());
    }
    for (const auto& bitmap : bitmaps) out.Text(bitmap);
    return out.Take();
}

std::string EncodePng(const Canvas& canvas) {
    const auto width = static_cast<std::size_t>(canvas.Width());
    std::string filteredRows;
    std::string above(4 * width, '\0');
    for (int y = 0; y < canvas.Height(); ++y) {
        std::string row;
        for (int x = 0; x < canvas.Width(); ++x) {
            const Colour c = canvas.Get(x, y);
            row += {static_cast<char>(c.r), static_cast<char>(c.g), static_cast<char>(c.b), static_cast<char>(c.a)};
        }
        std::string best = FilterRow(0, row, above);
        int bestCost = FilterCost(best);
        for (int type = 1; type <= 4; ++type) {
            std::string filtered = FilterRow(type, row, above);
            if (const int cost = FilterCost(filtered); cost < bestCost) {
                best = std::move(filtered);
                bestCost = cost;
            }
        }
        filteredRows += best;
        above = std::move(row);
    }

    std::string header;
    BigEndian32(header, static_cast<std::uint32_t>(canvas.Width()));
    BigEndian32(header, static_cast<std::uint32_t>(canvas.Height()));
    header += {8, 6, 0, 0, 0};  // 8 bits a channel, RGBA, deflate, adaptive filters, not interlaced

    std::string png("\x89PNG\r\n\x1A\n", 8);
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", ZlibCompress(filteredRows));
    PngChunk(png, "IEND", "");
    return png;
}

std::size_t GifFileSize(std::size_t lzwBytes) {
    constexpr std::size_t kBlock = 255;
    const std::size_t blockCounts = (lzwBytes + kBlock - 1) / kBlock;
    // header, screen descriptor, colour table, control extension, image descriptor, code size,
    // data blocks, block terminator, trailer
    return 6 + 7 + 3 * 256 + 8 + 10 + 1 + lzwBytes + blockCounts + 1 + 1;
}

std::string EncodeGif(const IndexedImage& image, int extraRestart) {
    constexpr int kMinimumCodeSize = 8;
    Bytes out;
    out.Text("GIF89a");
    out.U16(static_cast<std::uint32_t>(image.width));
    out.U16(static_cast<std::uint32_t>(image.height));
    out.U8(0xF7);  // global colour table of 2^(7+1) entries, 8 bits of colour resolution
    out.U8(0);     // background colour index
    out.U8(0);     // no pixel aspect ratio
    for (const Colour& colour : image.palette) {
        out.U8(colour.r);
        out.U8(colour.g);
        out.U8(colour.b);
    }
    out.U8(0x21);
    out.U8(0xF9);
    out.U8(4);
    out.U8(0);  // no disposal method, no user input, no transparent colour
    out.U16(0);
    out.U8(0);
    out.U8(0);
    out.U8(0x2C);
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<std::uint32_t>(image.width));
    out.U16(static_cast<std::uint32_t>(image.height));
    out.U8(0);  // no local colour table, not interlaced
    out.U8(kMinimumCodeSize);
    const std::vector<std::uint8_t> data = LzwEncode(image.indices, kMinimumCodeSize, extraRestart).bytes;
    for (std::size_t start = 0; start < data.size(); start += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - start);
        out.U8(static_cast<std::uint32_t>(length));
        for (std::size_t i = start; i < start + length; ++i) out.U8(data[i]);
    }
    out.U8(0);
    out.U8(0x3B);
    return out.Take();
}

}  // namespace quillora::tools
