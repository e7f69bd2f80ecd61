#pragma once

#include <optional>

#include "engine/ArticleForm.h"
#include "engine/Messages.h"
#include "engine/TextBuffer.h"
#include "platform/FileSystem.h"
#include "storage/FileIo.h"

namespace quillora {

// Puts a numbered link to a newly saved article page into the site's index page: the page
// "index" plus the template's extension, in the folder of the new page. Links go right after
// the first "<!--INSERT INDEX HERE-->", newest first; a page that holds only the plain words
// "INSERT INDEX HERE" has every one of them turned into that comment on the first run.
class IndexUpdater {
public:
    IndexUpdater(ArticleForm& form, FileIo& fileIo, FileSystem& files, Messages& messages)
        : form_(form), fileIo_(fileIo), files_(files), messages_(messages) {}

    // Uses the form's templatePath (for the extension), articleNumber and articleTitle, and
    // leaves the index page's new text in its pageBuffer. False after the reason was shown;
    // the index page is then as it was.
    bool UpdateIndexPage(const TextBuffer& savedPagePath);

    // Where the index page of a page saved at savedPagePath lies.
    static TextBuffer IndexPathFor(const TextBuffer& savedPagePath, const TextBuffer& templatePath);
    // The link block that goes into the index page.
    static TextBuffer LinkTextFor(const TextBuffer& savedPagePath, std::int32_t articleNumber,
                                  const TextBuffer& articleTitle);
    // The index page with linkText inserted, or nothing when it holds no marker at all.
    // Linear in the size of the page.
    static std::optional<TextBuffer> InsertIndexLink(const TextBuffer& page, const TextBuffer& linkText);

private:
    ArticleForm& form_;
    FileIo& fileIo_;
    FileSystem& files_;
    Messages& messages_;
};

}  // namespace quillora
