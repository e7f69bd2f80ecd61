#include "resources/Resources.h"

#include "EmbeddedFiles.h"

namespace quillora::resources {
namespace {

using embedded::ResourceKind;

// The bytes of the resource of that kind and id; empty when there is none.
std::string_view Find(ResourceKind kind, int id) {
    for (std::size_t i = 0; i < embedded::kEmbeddedFileCount; ++i) {
        const embedded::EmbeddedFile& file = embedded::kEmbeddedFiles[i];
        if (file.kind == kind && file.id == id) return std::string_view(reinterpret_cast<const char*>(file.bytes), file.size);
    }
    return {};
}

}  // namespace

std::string_view Bitmap(int id) { return Find(ResourceKind::BITMAP, id); }

std::string_view Icon() { return Find(ResourceKind::ICON, kIconGroup); }

std::string_view HelpPicture() { return Find(ResourceKind::RCDATA, kHelpPictureData); }

std::string_view HelpPagePattern() { return Find(ResourceKind::RCDATA, kHelpPageData); }

}  // namespace quillora::resources
