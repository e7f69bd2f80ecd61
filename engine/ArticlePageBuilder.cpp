#include "engine/ArticlePageBuilder.h"

#include <utility>

namespace quillora {
namespace ArticlePageBuilder {
namespace {

const char kArticleMarker[] = "INSERT ARTICLE HERE";
const char kTitleMarker[] = "INSERT TITLE HERE";
const char kDateMarker[] = "INSERT DATE HERE";
const char kAddressPrefix[] = "http://";

// An address runs up to the first control character, space, non-ASCII byte, '<' or ','.
bool EndsAddress(char byte) {
    return static_cast<signed char>(byte) <= 32 || byte == '<' || byte == ',';
}

}  // namespace

TextBuffer ConvertArticleText(const TextBuffer& articleText) {
    TextBuffer text = articleText;
    text.ReplaceAll("\r\n", "<br>\r\n");

    // One pass from the left: the copies of an address inside its new link are never searched.
    const TextBuffer prefix(kAddressPrefix);
    const std::string_view bytes = text.Bytes();
    TextBuffer linked;
    linked.Reserve(text.Length());
    std::size_t copied = 0;
    for (std::int32_t m = text.Find(prefix); m != -1;) {
        auto start = static_cast<std::size_t>(m);
        std::size_t end = start;
        while (end < bytes.size() && !EndsAddress(bytes[end])) ++end;
        std::string_view address = bytes.substr(start, end - start);
        linked.Append(bytes.substr(copied, start - copied));
        linked.Append("<a href=\"").Append(address).Append("\" target=\"_blank\">").Append(address).Append("</a>");
        copied = end;
        m = text.FindFrom(prefix, static_cast<std::int32_t>(end));
    }
    linked.Append(bytes.substr(copied));
    return linked;
}

std::optional<TextBuffer> BuildArticlePage(const TextBuffer& templatePage, const TextBuffer& articleText,
                                           const TextBuffer& articleTitle, const TextBuffer& date) {
    if (templatePage.Find(kArticleMarker) == -1) return std::nullopt;
    TextBuffer page = templatePage;
    page.ReplaceAll(kArticleMarker, ConvertArticleText(articleText));
    page.ReplaceAll(kTitleMarker, articleTitle);
    page.ReplaceAll(kDateMarker, date);
    return page;
}

}  // namespace ArticlePageBuilder
}  // namespace quillora
