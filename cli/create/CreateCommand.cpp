#include "cli/create/CreateCommand.h"

#include <istream>
#include <ostream>

#include "cli/create/CreateOptions.h"
#include "create/ArticleCreator.h"
#include "engine/IntegerField.h"
#include "storage/Messages.h"
#include "engine/PathParts.h"
#include "storage/FileIo.h"
#include "storage/SettingsStore.h"
#include "ui/ArticleApp.h"

namespace quillora {
namespace {

// Message boxes become lines on standard error; nothing is ever asked.
class ErrorStreamMessageBoxes : public MessageBoxes {
public:
    explicit ErrorStreamMessageBoxes(std::ostream& errors) : errors_(errors) {}
    MessageAnswer Show(const MessageRequest& request) override {
        errors_ << request.text << '\n';
        return request.buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    }

private:
    std::ostream& errors_;
};

// A path that starts from a root: "/..." on Linux; on Windows one with a drive ("C:..."), a
// share ("\\server\share...") or the current drive's root ("\...").
bool IsAbsolute(const std::string& path) {
    if (path.empty()) return false;
    if (kPathSeparator == '/') return path.front() == '/';
    return path.front() == '\\' || path.front() == '/' || (path.size() >= 2 && path[1] == ':');
}

// The folder followed by exactly one separator; in a double-byte code page the last byte of a
// character may look like a backslash without being one.
std::string WithSeparator(const std::string& folder) {
    const TextBuffer text(folder);
    if (!folder.empty() && PathParts::DirWithSlash(text).Length() == text.Length()) return folder;
    return folder + kPathSeparator;
}

std::string Absolute(const std::string& path, const std::string& workingFolder) {
    if (path.empty() || IsAbsolute(path)) return path;
    return WithSeparator(workingFolder) + path;
}

// The save dialog answers with --output, or with the proposed name in the folder last saved to.
class ScriptedSaveDialog : public FileDialogs {
public:
    ScriptedSaveDialog(const CreateOptions& options, FileSystem& files, const std::string& workingFolder)
        : options_(options), files_(files), workingFolder_(workingFolder) {}

    bool ShowOpen(const FileDialogRequest&, std::string&) override { return false; }

    bool ShowSave(const FileDialogRequest& request, std::string& chosen) override {
        std::string path;
        if (options_.output) {
            path = Absolute(*options_.output, workingFolder_);
        } else {
            path = WithSeparator(request.initialFolder.empty() ? workingFolder_ : request.initialFolder) +
                   request.initialFileName;
        }
        if (!options_.overwrite && files_.Exists(path)) {
            refused = path;
            return false;
        }
        chosen = path;
        return true;
    }

    std::string refused;  // the existing file that was not replaced

private:
    const CreateOptions& options_;
    FileSystem& files_;
    std::string workingFolder_;
};

// The window's fields, filled from the arguments and, where they are silent, from the settings.
class CommandLineForm : public ArticleForm {
public:
    CommandLineForm(const CreateOptions& options, CreatePlatform& platform, FileIo& fileIo, SettingsStore& settings,
                    Messages& messages)
        : options_(options), platform_(platform), fileIo_(fileIo), settings_(settings), messages_(messages) {}

    bool ReadFields() override {
        const bool read = options_.textFile == "-"
                              ? fileIo_.ReadArticleText(platform_.input, "standard input", articleText)
                              : fileIo_.ReadArticleText(TextBuffer(Absolute(options_.textFile, platform_.workingFolder)), articleText);
        if (!read) return false;
        articleTitle = TextBuffer(options_.title);
        replaceExisting = options_.overwrite;
        // Bad input is refused before any setting is read: a read creates the settings file on a
        // first run, and bad input touches no file.
        if (articleText.IsEmpty()) {
            messages_.ShowError(ArticleCreator::kNoTextMessage);
            return false;
        }
        if (options_.number && !ReadIntegerField(TextBuffer(*options_.number), articleNumber)) {
            messages_.Show(kNotAnIntegerMessage, MessageIcon::None, MessageButtons::Ok);
            return false;
        }
        templatePath = options_.templatePath ? TextBuffer(Absolute(*options_.templatePath, platform_.workingFolder))
                                             : settings_.ReadText(kSettingsSection, "Template", TextBuffer());
        if (options_.updateIndex) {
            updateIndex = *options_.updateIndex ? 1 : 0;
        } else {
            updateIndex = CheckStateFor(settings_.ReadInt(kSettingsSection, "Index", 1));  // as the box shows it
        }
        if (!options_.number) {
            articleNumber = ArticleCreator::NextArticleNumber(settings_.ReadInt(kSettingsSection, "Counter", 0));
        }
        return true;
    }

    void ShowFields() override {}

private:
    const CreateOptions& options_;
    CreatePlatform& platform_;
    FileIo& fileIo_;
    SettingsStore& settings_;
    Messages& messages_;
};

}  // namespace

int RunCreateCommand(const std::vector<std::string>& arguments, CreatePlatform& platform) {
    CreateOptions options;
    std::string problem;
    if (!ParseCreateOptions(arguments, options, problem)) {
        platform.errors << "quillora-create: " << problem << "\nTry 'quillora-create --help'.\n";
        return 2;
    }
    if (options.help) {
        platform.output << CreateUsage();
        return 0;
    }
    if (options.version) {
        platform.output << "quillora-create " << QUILLORA_VERSION << '\n';
        return 0;
    }

    const TextBuffer applicationName(kProductName);
    const TextBuffer registryKey(kCompanyKey);
    ErrorStreamMessageBoxes boxes(platform.errors);
    Messages messages(boxes, applicationName);
    FileIo fileIo(platform.files, messages);
    SettingsStore settings(platform.registry, registryKey, applicationName);
    ScriptedSaveDialog dialog(options, platform.files, platform.workingFolder);
    CommandLineForm form(options, platform, fileIo, settings, messages);
    ArticleCreator creator(form, fileIo, settings, dialog, messages, platform.clock, platform.files);

    if (creator.OnCreateClicked()) return 0;
    if (!dialog.refused.empty()) {
        platform.errors << "File \"" << dialog.refused << "\" already exists; use --overwrite to replace it\n";
    } else if (creator.LastOutcome() == ArticleCreator::Outcome::PageTaken) {
        platform.errors << "The page was created by another program meanwhile; use --overwrite to replace it\n";
    }
    return 1;
}

}  // namespace quillora
