#pragma once

#include <cstddef>

// The committed resource files, compiled in by EmbedFile.cmake. Each array carries one zero
// byte past its size, so that an empty file still gives a valid array.
namespace quillora::resources::embedded {

extern const unsigned char kBannerBmp[];
extern const std::size_t kBannerBmpSize;
extern const unsigned char kHelpFaceBmp[];
extern const std::size_t kHelpFaceBmpSize;
extern const unsigned char kSelectFaceBmp[];
extern const std::size_t kSelectFaceBmpSize;
extern const unsigned char kCreateFaceBmp[];
extern const std::size_t kCreateFaceBmpSize;
extern const unsigned char kPasteFaceBmp[];
extern const std::size_t kPasteFaceBmpSize;
extern const unsigned char kQuilloraIco[];
extern const std::size_t kQuilloraIcoSize;
extern const unsigned char kHelpPictureGif[];
extern const std::size_t kHelpPictureGifSize;
extern const unsigned char kHelpPageHtml[];
extern const std::size_t kHelpPageHtmlSize;

}  // namespace quillora::resources::embedded
