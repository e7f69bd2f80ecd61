#include "create/IndexUpdater.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "engine/IndexPage.h"

namespace quillora {
namespace {

const char kMissingIndexMessage[] = "No index file exists:\n\n%s";
const char kMissingMarkerMessage[] =
    "Index file does not contain the text:\n\nINSERT INDEX HERE\n\nThis must be exactly as shown above (in "
    "capitol letters)";

}  // namespace

bool IndexUpdater::UpdateIndexPage(const TextBuffer& savedPagePath) {
    const TextBuffer indexPath = IndexPage::IndexPathFor(savedPagePath, form_.templatePath);
    if (!files_.Exists(std::string(indexPath.Bytes()))) {
        fileIo_.ShowFormattedError(kMissingIndexMessage, indexPath);
        return false;
    }
    // Text ends at a zero byte, so writing such a page back would cut off everything behind it.
    if (!fileIo_.ReadText(indexPath, form_.pageBuffer, FileIo::ZeroByte::Refused)) return false;
    std::optional<TextBuffer> updated;
    try {
        updated = IndexPage::InsertIndexLink(
            form_.pageBuffer, IndexPage::LinkTextFor(savedPagePath, form_.articleNumber, form_.articleTitle));
    } catch (const std::exception&) {  // no memory for the new page, or too long a page
        form_.pageBuffer.Release();
        fileIo_.ShowFormattedError(FileIo::kWriteMessage, indexPath);
        return false;
    }
    if (!updated) {
        messages_.ShowError(kMissingMarkerMessage);
        return false;
    }
    form_.pageBuffer = std::move(*updated);
    return fileIo_.WriteWholeFile(indexPath, form_.pageBuffer.Bytes());
}

}  // namespace quillora
