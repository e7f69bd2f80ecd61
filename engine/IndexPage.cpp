#include "engine/IndexPage.h"

#include <limits>
#include <string_view>

#include "engine/PathParts.h"

namespace quillora {
namespace IndexPage {
namespace {

const char kPlainMarker[] = "INSERT INDEX HERE";
const char kCommentMarker[] = "<!--INSERT INDEX HERE-->";
const char kIndexStem[] = "index";
const char kLinkPattern[] = "\r\n\r\n<a href=\"%s\">%d. %s</a><br><br>";

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

TextBuffer IndexPathFor(const TextBuffer& savedPagePath, const TextBuffer& templatePath) {
    return PathParts::DirWithSlash(savedPagePath) + TextBuffer(kIndexStem) + PathParts::ExtensionOf(templatePath);
}

TextBuffer LinkTextFor(const TextBuffer& savedPagePath, std::int32_t articleNumber,
                                     const TextBuffer& articleTitle) {
    return TextBuffer::Formatted(kLinkPattern, {PathParts::FileNameOf(savedPagePath), articleNumber, articleTitle});
}

std::optional<TextBuffer> InsertIndexLink(const TextBuffer& page, const TextBuffer& linkText) {
    const TextBuffer commentMarker(kCommentMarker);
    const std::int32_t found = page.Find(commentMarker);
    if (found != -1) return InsertedAt(page, found + commentMarker.Length(), linkText);

    // Only plain markers: all of them become the comment form, and the link follows the first.
    TextBuffer converted = page;
    if (converted.ReplaceAll(kPlainMarker, commentMarker) == 0) return std::nullopt;
    return InsertedAt(converted, converted.Find(commentMarker) + commentMarker.Length(), linkText);
}

}  // namespace IndexPage
}  // namespace quillora
