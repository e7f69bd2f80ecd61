#pragma once

#include "create/ArticleForm.h"
#include "engine/TextBuffer.h"
#include "platform/FileSystem.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"

namespace quillora {

// Puts a numbered link to a newly saved article page into the site's index page (see
// IndexPage for where it lies and where the link goes).
class IndexUpdater {
public:
    IndexUpdater(ArticleForm& form, FileIo& fileIo, FileSystem& files, Messages& messages)
        : form_(form), fileIo_(fileIo), files_(files), messages_(messages) {}

    // Uses the form's templatePath (for the extension), articleNumber and articleTitle, and
    // leaves the index page's new text in its pageBuffer. False after the reason was shown;
    // the index page is then as it was.
    bool UpdateIndexPage(const TextBuffer& savedPagePath);

private:
    ArticleForm& form_;
    FileIo& fileIo_;
    FileSystem& files_;
    Messages& messages_;
};

}  // namespace quillora
