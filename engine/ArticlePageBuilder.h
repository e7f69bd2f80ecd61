#pragma once

#include <ctime>

#include "engine/Messages.h"
#include "engine/TextBuffer.h"
#include "platform/Clock.h"

namespace quillora {

// Merges an article into a template page: the text's line breaks get "<br>", its http://
// addresses become links, and the article, title and date markers are replaced.
class ArticlePageBuilder {
public:
    ArticlePageBuilder(Messages& messages, Clock& clock) : messages_(messages), clock_(clock) {}

    // pageBuffer holds the template on entry and the finished page on success. Without the
    // article marker it shows why, leaves pageBuffer as it was and returns false.
    bool BuildArticlePage(TextBuffer& pageBuffer, const TextBuffer& articleText, const TextBuffer& articleTitle);

    // The article text as it goes into the page: line breaks and addresses converted.
    static TextBuffer ConvertArticleText(const TextBuffer& articleText);
    // "Tuesday, March 29, 2005": English names whatever the user's locale.
    static TextBuffer FormatDate(const std::tm& local);

private:
    TextBuffer Today();

    Messages& messages_;
    Clock& clock_;
};

}  // namespace quillora
