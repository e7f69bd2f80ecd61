// Draws Quillora's pictures and writes them in the forms the program embeds, and the icon as
// PNG files for the desktop's icon theme (icons/quillora-<size>.png, installed by the package, not embedded):
//   resource_generator <output folder>
// The same run always gives the same bytes.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Canvas.h"
#include "GifLzw.h"
#include "ImageFiles.h"
#include "Palette.h"
#include "Pictures.h"

namespace quillora::tools {
namespace {

constexpr std::size_t kHelpPictureBytes = 5225;
constexpr int kGifCodeSize = 8;

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    std::printf("%-18s %7zu bytes\n", path.filename().string().c_str(), bytes.size());
}

// The help picture must come out at exactly kHelpPictureBytes. Its example texts and the place
// of one extra restart of the LZW table both change the size; the first choice, in a fixed
// order, that gives the exact size is taken.
std::string HelpPictureGif() {
    for (int lines = 5; lines >= 0; --lines) {
        for (int title = 0; title < HelpPictureTitleCount(); ++title) {
            const IndexedImage image = Quantize(DrawHelpPicture(HelpPictureStyle{lines, title}));
            // A restart lengthens the code of a picture like this one, so a drawing that is too
            // large without one is passed over.
            const LzwCode plain = LzwEncode(image.indices, kGifCodeSize);
            if (GifFileSize(plain.bytes.size()) > kHelpPictureBytes) continue;
            // The earliest place that gives the exact size.
            for (int restart = 1; restart < plain.stringCodes; ++restart) {
                const std::vector<std::uint8_t> data = LzwEncode(image.indices, kGifCodeSize, restart).bytes;
                if (GifFileSize(data.size()) != kHelpPictureBytes) continue;
                if (LzwDecode(data, kGifCodeSize) != image.indices)
                    throw std::logic_error("the LZW code of the help picture does not decode to the picture");
                std::printf("help picture: %d example lines, title %d, extra LZW restart after %d codes\n", lines, title,
                            restart);
                return EncodeGif(image, restart);
            }
        }
    }
    throw std::runtime_error("no drawing of the help picture reaches its exact size");
}

void Generate(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::pair<const char*, const char*> faces[] = {
        {"help_face.bmp", "Help"}, {"select_face.bmp", "Select"}, {"create_face.bmp", "Create"}, {"paste_face.bmp", "Paste"}};
    for (const auto& [file, word] : faces) WriteFile(folder / file, EncodeBmp8(Quantize(DrawButtonFace(word))));

    WriteFile(folder / "banner.bmp", EncodeBmp24(DrawBanner()));

    std::vector<Canvas> balls;
    for (int size : {16, 24, 32, 48}) balls.push_back(DrawGoldBall(size));
    std::vector<IconImage> icons;
    for (const Canvas& ball : balls) {
        icons.push_back({&ball, 8});
        icons.push_back({&ball, 32});
    }
    WriteFile(folder / "quillora.ico", EncodeIcon(icons));

    // The desktop's icon theme takes the icon as PNG files of fixed sizes.
    std::filesystem::create_directories(folder / "icons");
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        WriteFile(folder / "icons" / ("quillora-" + std::to_string(size) + ".png"), EncodePng(DrawGoldBall(size)));

    WriteFile(folder / "help_picture.gif", HelpPictureGif());
}

}  // namespace
}  // namespace quillora::tools

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argc > 0 ? argv[0] : "resource_generator");
        return 2;
    }
    try {
        quillora::tools::Generate(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "resource_generator: %s\n", error.what());
        return 1;
    }
    return 0;
}
