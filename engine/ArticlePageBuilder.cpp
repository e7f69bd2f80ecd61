#include "engine/ArticlePageBuilder.h"

#include <cstdio>

namespace quillora {
namespace {

const char kArticleMarker[] = "INSERT ARTICLE HERE";
const char kTitleMarker[] = "INSERT TITLE HERE";
const char kDateMarker[] = "INSERT DATE HERE";
const char kMissingMarkerMessage[] =
    "Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly as shown above (in "
    "capitol letters)";
const char kAddressPrefix[] = "http://";

// An address runs up to the first control character, space, non-ASCII byte, '<' or ','.
bool EndsAddress(char byte) {
    return static_cast<signed char>(byte) <= 32 || byte == '<' || byte == ',';
}

}  // namespace

TextBuffer ArticlePageBuilder::ConvertArticleText(const TextBuffer& articleText) {
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

TextBuffer ArticlePageBuilder::FormatDate(const std::tm& local) {
    static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
    if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11) return TextBuffer();
    return TextBuffer::Formatted("%s, %s %02d, %d",
                                 {kDays[local.tm_wday], kMonths[local.tm_mon], local.tm_mday, local.tm_year + 1900});
}

TextBuffer ArticlePageBuilder::Today() {
    std::tm local{};
    if (!clock_.ToLocal(clock_.Now(), local)) return TextBuffer();
    return FormatDate(local);
}

bool ArticlePageBuilder::BuildArticlePage(TextBuffer& pageBuffer, const TextBuffer& articleText,
                                          const TextBuffer& articleTitle) {
    if (pageBuffer.Find(kArticleMarker) == -1) {
        messages_.ShowError(kMissingMarkerMessage);
        return false;
    }
    pageBuffer.ReplaceAll(kArticleMarker, ConvertArticleText(articleText));
    pageBuffer.ReplaceAll(kTitleMarker, articleTitle);
    pageBuffer.ReplaceAll(kDateMarker, Today());
    return true;
}

}  // namespace quillora
