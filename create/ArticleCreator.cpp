#include "create/ArticleCreator.h"

#include <new>
#include <optional>
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

}  // namespace

ArticleCreator::ArticleCreator(ArticleForm& form, FileIo& fileIo, SettingsStore& settings, FileDialogs& dialogs,
                               Messages& messages, Clock& clock, FileSystem& files)
    : form_(form),
      fileIo_(fileIo),
      settings_(settings),
      dialogs_(dialogs),
      messages_(messages),
      clock_(clock),
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
        settings_.WriteInt(kSettingsSection, "Counter", form_.articleNumber);
        form_.articleNumber = NextArticleNumber(form_.articleNumber);
        form_.ShowFields();
    }
    form_.pageBuffer.Release();
    return created;
}

bool ArticleCreator::CreateArticlePage() {
    pageWrittenWithoutIndex_ = false;
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

    const TextBuffer savedPath(chosen);
    // Remembered before writing, so that the next dialog opens there even when writing fails.
    settings_.WriteText(kSettingsSection, "SaveDir", PathParts::DirWithSlash(savedPath));
    if (!fileIo_.WriteWholeFile(savedPath, form_.pageBuffer.Bytes())) return false;
    if (form_.updateIndex != 0 && !indexUpdater_.UpdateIndexPage(savedPath)) {
        pageWrittenWithoutIndex_ = true;
        return false;
    }

    messages_.ShowInformation(TextBuffer("File \"") + PathParts::FileNameOf(savedPath) +
                              TextBuffer("\" has been created"));
    return true;
}

bool ArticleCreator::LoadTemplate() {
    if (!fileIo_.ReadText(form_.templatePath, form_.pageBuffer)) return false;  // a zero byte ends the template
    std::optional<TextBuffer> page;
    try {
        page = ArticlePageBuilder::BuildArticlePage(form_.pageBuffer, form_.articleText, form_.articleTitle, Today());
    } catch (const std::bad_alloc&) {
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

}  // namespace quillora
