#pragma once

#include <optional>

#include "engine/TextBuffer.h"

namespace quillora {

// Merges an article into a template page: the text's line breaks get "<br>", its http://
// addresses become links, and the article, title and date markers are replaced.
namespace ArticlePageBuilder {

// The finished page for templatePage, or nothing when the template holds no article marker.
// date is the text that replaces the date markers. The page is what replacing every article
// marker of the template by the converted text, then every title marker of the result by the
// title, then every date marker of that by the date gives (ReplaceAll each time), built with
// one copy of its bytes.
std::optional<TextBuffer> BuildArticlePage(const TextBuffer& templatePage, const TextBuffer& articleText,
                                           const TextBuffer& articleTitle, const TextBuffer& date);

// The article text as it goes into the page: line breaks and addresses converted.
TextBuffer ConvertArticleText(const TextBuffer& articleText);

}  // namespace ArticlePageBuilder
}  // namespace quillora
