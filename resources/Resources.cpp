#include "resources/Resources.h"

#include "EmbeddedFiles.h"

namespace quillora::resources {
namespace {

std::string_view View(const unsigned char* bytes, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(bytes), size);
}

}  // namespace

std::string_view Bitmap(int id) {
    switch (id) {
        case 133: return View(embedded::kBannerBmp, embedded::kBannerBmpSize);
        case 160: return View(embedded::kHelpFaceBmp, embedded::kHelpFaceBmpSize);
        case 161: return View(embedded::kSelectFaceBmp, embedded::kSelectFaceBmpSize);
        case 162: return View(embedded::kCreateFaceBmp, embedded::kCreateFaceBmpSize);
        case 266: return View(embedded::kPasteFaceBmp, embedded::kPasteFaceBmpSize);
        default: return {};
    }
}

std::string_view Icon() { return View(embedded::kQuilloraIco, embedded::kQuilloraIcoSize); }

std::string_view HelpPicture() { return View(embedded::kHelpPictureGif, embedded::kHelpPictureGifSize); }

std::string_view HelpPagePattern() { return View(embedded::kHelpPageHtml, embedded::kHelpPageHtmlSize); }

}  // namespace quillora::resources
