#include "engine/IndexUpdater.h"

#include <limits>
#include <new>
#include <string>
#include <utility>

#include "engine/PathParts.h"

namespace quillora {
namespace {

const char kPlainMarker[] = "INSERT INDEX HERE";
const char kCommentMarker[] = "<!--INSERT INDEX HERE-->";
const char kIndexStem[] = "index";
const char kLinkPattern[] = "\r\n\r\n<a href=\"%s\">%d. %s</a><br><br>";
const char kMissingIndexMessage[] = "No index file exists:\n\n%s";
const char kMissingMarkerMessage[] =
    "Index file does not contain the text:\n\nINSERT INDEX HERE\n\nThis must be exactly as shown above (in "
    "capitol letters)";

// page with insert put in at position at, in one pass.
TextBuffer InsertedAt(const TextBuffer& page, std::int32_t at, const TextBuffer& insert) {
    const std::string_view bytes = page.Bytes();
    const auto split = static_cast<std::size_t>(at);
    const std::int64_t total = std::int64_t{page.Length()} + insert.Length();
    TextBuffer result;
    if (total <= std::numeric_limits<std::int32_t>::max()) result.Reserve(static_cast<std::int32_t>(total));
    result.Append(bytes.substr(0, split)).Append(insert).Append(bytes.substr(split));
    return result;
}

}  // namespace

TextBuffer IndexUpdater::IndexPathFor(const TextBuffer& savedPagePath, const TextBuffer& templatePath) {
    return PathParts::DirWithSlash(savedPagePath) + TextBuffer(kIndexStem) + PathParts::ExtensionOf(templatePath);
}

TextBuffer IndexUpdater::LinkTextFor(const TextBuffer& savedPagePath, std::int32_t articleNumber,
                                     const TextBuffer& articleTitle) {
    return TextBuffer::Formatted(kLinkPattern, {PathParts::FileNameOf(savedPagePath), articleNumber, articleTitle});
}

std::optional<TextBuffer> IndexUpdater::InsertIndexLink(const TextBuffer& page, const TextBuffer& linkText) {
    const TextBuffer commentMarker(kCommentMarker);
    const std::int32_t found = page.Find(commentMarker);
    if (found != -1) return InsertedAt(page, found + commentMarker.Length(), linkText);

    // Only plain markers: all of them become the comment form, and the link follows the first.
    TextBuffer converted = page;
    if (converted.ReplaceAll(kPlainMarker, commentMarker) == 0) return std::nullopt;
    return InsertedAt(converted, converted.Find(commentMarker) + commentMarker.Length(), linkText);
}

bool IndexUpdater::UpdateIndexPage(const TextBuffer& savedPagePath) {
    const TextBuffer indexPath = IndexPathFor(savedPagePath, form_.templatePath);
    if (!files_.Exists(std::string(indexPath.Bytes()))) {
        fileIo_.ShowFormattedError(kMissingIndexMessage, indexPath);
        return false;
    }
    std::optional<std::string> block = fileIo_.ReadWholeFile(indexPath);
    if (!block) return false;
    // Text ends at a zero byte, so writing the page back would cut off everything behind it.
    if (block->find('\0') != std::string::npos) {
        block.reset();
        fileIo_.ShowFormattedError(FileIo::kReadMessage, indexPath);
        return false;
    }

    std::optional<TextBuffer> updated;
    try {
        form_.pageBuffer = TextBuffer(std::string_view(*block));
        block.reset();
        updated = InsertIndexLink(form_.pageBuffer, LinkTextFor(savedPagePath, form_.articleNumber, form_.articleTitle));
    } catch (const std::bad_alloc&) {
        block.reset();
        fileIo_.ShowFormattedError(FileIo::kReadMessage, indexPath);
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
