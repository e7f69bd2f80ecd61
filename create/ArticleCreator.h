#pragma once

#include <cstdint>

#include "create/ArticleForm.h"
#include "create/IndexUpdater.h"
#include "engine/TextBuffer.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/FileSystem.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"
#include "storage/SettingsStore.h"

namespace quillora {

// The Create command: from the form's template, title and text to a new article page saved
// where the user chooses, a link to it in the index page, and the next article number.
// It knows nothing of windows: whatever shows the form drives it.
//
// A template whose file name holds no dot has the empty extension: the proposed name
// ("article0001" for number 1) has no suffix, the save dialog offers every file
// (" Files (*)|*||") and appends no default extension, and the index page looked for is the
// file "index" beside the new page.
class ArticleCreator {
public:
    static constexpr char kNoTextMessage[] = "No article text entered";

    ArticleCreator(ArticleForm& form, FileIo& fileIo, SettingsStore& settings, FileDialogs& dialogs,
                   Messages& messages, Clock& clock, FileSystem& files);

    // The Create button. Checks the form, stores Template and Index, runs the workflow and,
    // after a success, stores Counter, advances the number and empties title and text.
    // pageBuffer is empty afterwards. True when a page was created.
    bool OnCreateClicked();

    // Reads the template, builds the page, asks where to save it, writes it and, when the
    // form asks for it, updates the index page. False after the reason was shown, or silently
    // when the user cancelled the save dialog.
    bool CreateArticlePage();

    // True when the last CreateArticlePage wrote the page and then failed to update the index
    // page: the page exists without its link.
    bool PageWrittenWithoutIndex() const { return pageWrittenWithoutIndex_; }

    // The save dialog's file-type filter for a template extension such as ".html".
    static TextBuffer SaveFilterFor(const TextBuffer& extension);
    // The number after articleNumber; 2147483647 is followed by -2147483648.
    static std::int32_t NextArticleNumber(std::int32_t articleNumber);

private:
    bool LoadTemplate();
    TextBuffer Today();

    ArticleForm& form_;
    FileIo& fileIo_;
    SettingsStore& settings_;
    FileDialogs& dialogs_;
    Messages& messages_;
    Clock& clock_;
    IndexUpdater indexUpdater_;
    bool pageWrittenWithoutIndex_ = false;
};

}  // namespace quillora
