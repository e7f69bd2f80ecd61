#include "create/ArticleCreator.h"

#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "engine/ArticlePageBuilder.h"
#include "engine/DateText.h"
#include "engine/PathParts.h"

namespace quillora {
namespace {

const char kNoTemplateMessage[] = "Please select a template file first";
const char kNoTitleMessage[] = "No article title entered";
const char kProposedName[] = "article%04d";
const char kSaveTitle[] = "Select where to save your new web page";

const char kMissingArticleMarkerMessage[] =
    "Template file does not contain the text:\n\nINSERT ARTICLE HERE\n\nThis must be exactly as shown above (in "
    "capitol letters)";

// Holds the lock of an archive folder until released or destroyed.
class ArchiveLock {
public:
    ArchiveLock(FileSystem& files, const TextBuffer& folder) : files_(files) {
        held_ = files_.LockFolder(folder.IsEmpty() ? std::string(".") : std::string(folder.Bytes()), lock_);
    }
    ~ArchiveLock() { Release(); }
    ArchiveLock(const ArchiveLock&) = delete;
    ArchiveLock& operator=(const ArchiveLock&) = delete;

    bool Held() const { return held_; }
    void Release() {
        if (held_) files_.Unlock(lock_);
        held_ = false;
    }

private:
    FileSystem& files_;
    FileSystem::Handle lock_ = -1;
    bool held_ = false;
};

}  // namespace

ArticleCreator::ArticleCreator(ArticleForm& form, FileIo& fileIo, SettingsStore& settings, FileDialogs& dialogs,
                               Messages& messages, Clock& clock, FileSystem& files)
    : form_(form),
      fileIo_(fileIo),
      settings_(settings),
      dialogs_(dialogs),
      messages_(messages),
      clock_(clock),
      files_(files),
      indexUpdater_(form, fileIo, files, messages) {}

bool ArticleCreator::OnCreateClicked() {
    if (!form_.ReadFields()) return false;
    if (form_.templatePath.IsEmpty()) {
        messages_.ShowError(kNoTemplateMessage);
        return false;
    }
    if (form_.articleTitle.IsEmpty()) {
        messages_.ShowError(kNoTitleMessage);
        return false;
    }
    if (form_.articleText.IsEmpty()) {
        messages_.ShowError(kNoTextMessage);
        return false;
    }
    settings_.WriteText(kSettingsSection, "Template", form_.templatePath);
    settings_.WriteInt(kSettingsSection, "Index", form_.updateIndex);

    const bool created = CreateArticlePage();
    if (created) {
        form_.articleTitle.Clear();
        form_.articleText.Clear();
        form_.articleNumber = NextArticleNumber(form_.articleNumber);
        form_.ShowFields();
    }
    form_.pageBuffer.Release();
    return created;
}

bool ArticleCreator::CreateArticlePage() {
    outcome_ = Outcome::NotCreated;
    if (!LoadTemplate()) return false;

    const TextBuffer extension = PathParts::ExtensionOf(form_.templatePath);
    FileDialogRequest request;
    request.title = kSaveTitle;
    request.filter = SaveFilterFor(extension).Bytes();
    request.initialFolder = settings_.ReadText(kSettingsSection, "SaveDir", TextBuffer()).Bytes();
    request.initialFileName = (TextBuffer::Formatted(kProposedName, {form_.articleNumber}) + extension).Bytes();
    request.defaultExtension = extension.Bytes();
    request.overwritePrompt = true;
    request.hideReadOnly = true;
    std::string chosen;
    if (!dialogs_.ShowSave(request, chosen)) return false;
    const bool mayReplace = form_.replaceExisting.value_or(files_.Exists(chosen));

    const TextBuffer savedPath(chosen);
    // Remembered before writing, so that the next dialog opens there even when writing fails.
    settings_.WriteText(kSettingsSection, "SaveDir", PathParts::DirWithSlash(savedPath));

    ArchiveLock archive(files_, PathParts::DirWithSlash(savedPath));
    FileSystem::WholeWrite written = FileSystem::WholeWrite::Failed;
    if (!archive.Held()) {
        fileIo_.ShowFormattedError(FileIo::kWriteMessage, savedPath);
        return false;
    }
    if (!fileIo_.WriteWholeFile(savedPath, form_.pageBuffer.Bytes(),
                                mayReplace ? FileSystem::WriteMode::Replace : FileSystem::WriteMode::CreateNew, &written)) {
        if (written == FileSystem::WholeWrite::Taken) outcome_ = Outcome::PageTaken;
        return false;
    }
    if (form_.updateIndex != 0 && !indexUpdater_.UpdateIndexPage(savedPath)) {
        outcome_ = Outcome::IndexNotUpdated;
        return false;
    }
    const std::int32_t used = form_.articleNumber;
    settings_.UpdateInt(kSettingsSection, "Counter", 0, [used](std::int32_t stored) { return CounterAfter(stored, used); });
    archive.Release();  // before the message, which waits for the user

    outcome_ = Outcome::Created;
    messages_.ShowInformation(TextBuffer("File \"") + PathParts::FileNameOf(savedPath) +
                              TextBuffer("\" has been created"));
    return true;
}

bool ArticleCreator::LoadTemplate() {
    if (!fileIo_.ReadText(form_.templatePath, form_.pageBuffer)) return false;  // a zero byte ends the template
    // A page that does not fit in memory, or would be longer than a text's signed 32-bit length,
    // is a template that cannot be read into one.
    std::optional<TextBuffer> page;
    bool fits = true;
    try {
        page = ArticlePageBuilder::BuildArticlePage(form_.pageBuffer, form_.articleText, form_.articleTitle, Today());
        fits = !page || page->Bytes().size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    } catch (const std::bad_alloc&) {
        fits = false;
    } catch (const std::length_error&) {
        fits = false;
    }
    if (!fits) {
        page.reset();
        form_.pageBuffer.Release();
        fileIo_.ShowFormattedError(FileIo::kReadMessage, form_.templatePath);
        return false;
    }
    if (!page) {
        messages_.ShowError(kMissingArticleMarkerMessage);
        return false;
    }
    form_.pageBuffer = std::move(*page);
    return true;
}

TextBuffer ArticleCreator::Today() {
    std::tm local{};
    if (!clock_.ToLocal(clock_.Now(), local)) return TextBuffer();
    return DateText(local);
}

TextBuffer ArticleCreator::SaveFilterFor(const TextBuffer& extension) {
    if (extension.Equals(".php")) return "PHP Files (*.php)|*.php||";
    if (extension.Equals(".htm") || extension.Equals(".html")) return "HTML Files (*.htm, *.html)|*.htm;*.html||";
    return TextBuffer::Formatted("%s Files (*%s)|*%s||", {extension, extension, extension});
}

std::int32_t ArticleCreator::NextArticleNumber(std::int32_t articleNumber) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(articleNumber) + 1U);
}

std::int32_t ArticleCreator::CounterAfter(std::int32_t stored, std::int32_t used) {
    const std::uint32_t ahead = static_cast<std::uint32_t>(used) - static_cast<std::uint32_t>(stored);
    return (ahead != 0 && ahead < 0x80000000U) ? used : stored;
}

}  // namespace quillora
