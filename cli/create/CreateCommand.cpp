#include "cli/create/CreateCommand.h"

#include <istream>
#include <ostream>

#include "cli/create/CreateOptions.h"
#include "create/ArticleCreator.h"
#include "engine/IntegerField.h"
#include "engine/PathParts.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"
#include "storage/SettingsStore.h"
#include "ui/ArticleApp.h"

namespace quillora {
namespace {

const char kAcceptTermsHint[] =
    "To accept these terms of use, run quillora-create again with --accept-terms, or answer\n"
    "Yes in the Quillora window; they are then accepted for both.\n";
const char kNoFolderMessage[] =
    "quillora-create: no page was saved yet, so there is no folder to save in: give the\n"
    "new page's path with --output, beside the index page; later runs save in that folder.\n";

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

// The settings seen without changing them: a key that does not exist yet is not made, so that a
// refused run leaves no settings file behind. Every value that is missing reads as its default.
class LookOnlyRegistry : public Registry {
public:
    explicit LookOnlyRegistry(Registry& registry) : registry_(registry) {}
    bool OpenKey(Key parent, const std::string& name, Key& key) override { return registry_.OpenKey(parent, name, key); }
    bool CreateKey(Key parent, const std::string& name, Key& key) override { return registry_.OpenKey(parent, name, key); }
    bool QueryValue(Key key, const std::string& name, RegistryType& type, std::string& data) override {
        return registry_.QueryValue(key, name, type, data);
    }
    bool SetValue(Key, const std::string&, RegistryType, const std::string&) override { return false; }
    bool LockValues() override { return false; }
    void UnlockValues() override {}
    void CloseKey(Key key) override { registry_.CloseKey(key); }

private:
    Registry& registry_;
};

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
        } else if (request.initialFolder.empty()) {
            noFolder = true;  // the folder was forgotten since the checks
            return false;
        } else {
            path = WithSeparator(request.initialFolder) + request.initialFileName;
        }
        if (!options_.overwrite && files_.Exists(path)) {
            refused = path;
            return false;
        }
        chosen = path;
        savedTo = path;
        return true;
    }

    std::string savedTo;   // where the page goes
    std::string refused;   // the existing file that was not replaced
    bool noFolder = false;

private:
    const CreateOptions& options_;
    FileSystem& files_;
    std::string workingFolder_;
};

// The window's fields, filled from the arguments and, where they are silent, from the settings
// as they stand. The Create command checks the template, the title and the text in this order
// after ReadFields, so the text is read only when the template and the title are there, and
// the folder to save in is asked for only when the text is there too.
class CommandLineForm : public ArticleForm {
public:
    CommandLineForm(const CreateOptions& options, CreatePlatform& platform, FileIo& fileIo, SettingsStore& settings,
                    Messages& messages)
        : options_(options), platform_(platform), fileIo_(fileIo), settings_(settings), messages_(messages) {}

    bool ReadFields() override {
        if (options_.number && !ReadIntegerField(TextBuffer(*options_.number), articleNumber)) {
            messages_.Show(kNotAnIntegerMessage, MessageIcon::None, MessageButtons::Ok);
            wrongUse = true;
            return false;
        }
        if (!options_.number) {
            articleNumber = ArticleCreator::NextArticleNumber(settings_.ReadInt(kSettingsSection, "Counter", 0));
        }
        templatePath = options_.templatePath ? TextBuffer(Absolute(*options_.templatePath, platform_.workingFolder))
                                             : settings_.ReadText(kSettingsSection, "Template", TextBuffer());
        articleTitle = TextBuffer(options_.title);
        replaceExisting = options_.overwrite;
        if (options_.updateIndex) {
            updateIndex = *options_.updateIndex ? 1 : 0;
        } else {
            updateIndex = CheckStateFor(settings_.ReadInt(kSettingsSection, "Index", 1));  // as the box shows it
        }
        if (templatePath.IsEmpty() || articleTitle.IsEmpty()) return true;

        const bool read = options_.textFile == "-"
                              ? fileIo_.ReadArticleText(platform_.input, "standard input", articleText)
                              : fileIo_.ReadArticleText(TextBuffer(Absolute(options_.textFile, platform_.workingFolder)), articleText);
        if (!read) return false;
        if (articleText.IsEmpty()) return true;

        if (!options_.output && settings_.ReadText(kSettingsSection, "SaveDir", TextBuffer()).IsEmpty()) {
            platform_.errors << kNoFolderMessage;
            wrongUse = true;
            return false;
        }
        return true;
    }

    void ShowFields() override {}

    bool wrongUse = false;  // the run stopped on something the command line must change

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
        return kWrongUse;
    }
    if (options.help) {
        platform.output << CreateUsage();
        return kCreated;
    }
    if (options.version) {
        platform.output << "quillora-create " << QUILLORA_VERSION << '\n';
        return kCreated;
    }

    const TextBuffer applicationName(kProductName);
    const TextBuffer registryKey(kCompanyKey);
    ErrorStreamMessageBoxes boxes(platform.errors);
    Messages messages(boxes, applicationName);
    FileIo fileIo(platform.files, messages);
    SettingsStore settings(platform.registry, registryKey, applicationName);
    LookOnlyRegistry lookOnly(platform.registry);
    SettingsStore storedSettings(lookOnly, registryKey, applicationName);

    if (options.acceptTerms) {
        settings.WriteInt(kSettingsSection, "Terms", 1);  // as the window's Yes: a failure only means asking again
    } else if (storedSettings.ReadInt(kSettingsSection, "Terms", 0) == 0) {
        platform.errors << "quillora-create: the terms of use have not been accepted yet:\n\n"
                        << kTermsDisclaimer << "\n\n" << kAcceptTermsHint;
        return kWrongUse;
    }

    ScriptedSaveDialog dialog(options, platform.files, platform.workingFolder);
    CommandLineForm form(options, platform, fileIo, storedSettings, messages);
    ArticleCreator creator(form, fileIo, settings, dialog, messages, platform.clock, platform.files);

    if (creator.OnCreateClicked()) return kCreated;
    if (form.wrongUse) return kWrongUse;
    if (dialog.noFolder) {
        platform.errors << kNoFolderMessage;
        return kWrongUse;
    }
    if (!dialog.refused.empty()) {
        platform.errors << "File \"" << dialog.refused << "\" already exists; use --overwrite to replace it\n";
    } else if (creator.LastOutcome() == ArticleCreator::Outcome::PageTaken) {
        platform.errors << "The page was created by another program meanwhile; use --overwrite to replace it\n";
    }
    if (creator.LastOutcome() == ArticleCreator::Outcome::IndexNotUpdated) {
        platform.errors << "File \"" << dialog.savedTo
                        << "\" was written, but the index page was not updated.\n"
                           "Once the index page is right, run the same command with --overwrite to add the link.\n";
        return kCreatedWithoutIndex;
    }
    return kNotCreated;
}

}  // namespace quillora
