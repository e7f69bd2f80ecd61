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
//
// One Create is one transaction on its archive, the folder of the page chosen: from writing the
// page to storing Counter it holds that folder's lock, so no other Create (in this program or any
// other) writes the same page, index page or counter meanwhile. The page is written only where
// none stands, unless the user agreed to replace it; the index page is read, changed and written
// under the lock; Counter is advanced from the value stored at that moment and never goes back.
class ArticleCreator {
public:
    static constexpr char kNoTextMessage[] = "No article text entered";

    // How the last run of the workflow ended, for callers that report more than the messages do.
    enum class Outcome {
        NotCreated,       // stopped before the page was written, or cancelled
        PageTaken,        // a page appeared at the chosen path and was not replaced
        IndexNotUpdated,  // the page was written, the index page could not be updated
        Created,
    };

    ArticleCreator(ArticleForm& form, FileIo& fileIo, SettingsStore& settings, FileDialogs& dialogs,
                   Messages& messages, Clock& clock, FileSystem& files);

    // The Create button. Checks the form, stores Template and Index, runs the workflow and,
    // after a success, advances the number and empties title and text. pageBuffer is empty
    // afterwards. True when a page was created.
    bool OnCreateClicked();

    // Reads the template, builds the page, asks where to save it, and then, holding the archive's
    // lock, writes it, updates the index page when the form asks for it and advances Counter;
    // reports success last. False after the reason was shown, or silently when the user cancelled
    // the save dialog.
    bool CreateArticlePage();

    Outcome LastOutcome() const { return outcome_; }

    // The save dialog's file-type filter for a template extension such as ".html".
    static TextBuffer SaveFilterFor(const TextBuffer& extension);
    // The number after articleNumber; 2147483647 is followed by -2147483648.
    static std::int32_t NextArticleNumber(std::int32_t articleNumber);
    // Counter once article number used was created while stored was stored: used when it lies
    // ahead of stored, counting round after 2147483647 as the numbers do (less than half the
    // circle ahead); otherwise stored, so that Counter never goes back.
    static std::int32_t CounterAfter(std::int32_t stored, std::int32_t used);

private:
    bool LoadTemplate();
    TextBuffer Today();

    ArticleForm& form_;
    FileIo& fileIo_;
    SettingsStore& settings_;
    FileDialogs& dialogs_;
    Messages& messages_;
    Clock& clock_;
    FileSystem& files_;
    IndexUpdater indexUpdater_;
    Outcome outcome_ = Outcome::NotCreated;
};

}  // namespace quillora
