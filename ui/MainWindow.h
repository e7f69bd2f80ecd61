#pragma once

#include <cstdint>
#include <string_view>

#include "branding/BrowserLauncher.h"
#include "branding/HelpPage.h"
#include "create/ArticleCreator.h"
#include "create/ArticleForm.h"
#include "engine/TextBuffer.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "platform/FileDialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"
#include "storage/FileIo.h"
#include "storage/Messages.h"
#include "storage/SettingsStore.h"

namespace quillora {

class ArticleApp;

// The program's one window: all of its logic, over its members, through a dialog host that
// holds the real controls. The article form's fields are its public state.
class MainWindow : public ArticleForm, public DialogHandler {
public:
    MainWindow(ArticleApp& application, const volatile unsigned char* brandingRecord, DialogHost& host,
               FileDialogs& fileDialogs, FileSystem& files, Clock& clock, Shell& shell, TempFolder& tempFolder,
               SettingsStore& settings, Messages& messages, FileIo& fileIo);

    bool InitialiseWindow() override;
    void OnCommand(int id) override;

    // Copies the controls into the members; false, after "Please enter an integer.", when the
    // article number field holds no integer.
    bool ReadFields() override;
    void ShowFields() override;

    // Asks for the terms of use; true when they were accepted (and Terms = 1 stored).
    bool TermsPrompt();

    void OnSelectClicked();
    void OnPasteClicked();
    void OnOkCommand();
    void OnCloseRequested();
    void OnCreateClicked();
    void OnHelpClicked();
    void OnBannerClicked();

    // The user declined the terms of use: the window ended unseen and the process ends with 1.
    bool TermsDeclined() const { return termsDeclined_; }
    // The template's file name as the window shows it.
    const TextBuffer& TemplateName() const { return templateName_; }
    // The temporary help files written by this window; empty until Help or the banner wrote them.
    const TextBuffer& HelpPagePath() const { return helpPagePath_; }
    const TextBuffer& HelpPicturePath() const { return helpPicturePath_; }

private:
    void ExchangeText(int id, TextBuffer& member, bool read);
    void RejectArticleNumber();

    ArticleApp& application_;
    const volatile unsigned char* brandingRecord_;
    DialogHost& host_;
    FileDialogs& fileDialogs_;
    FileSystem& files_;
    SettingsStore& settings_;
    Messages& messages_;
    ArticleCreator creator_;
    BrowserLauncher browser_;
    HelpPage helpPage_;

    TextBuffer templateName_;
    TextBuffer helpPagePath_;
    TextBuffer helpPicturePath_;
    // Button faces and the window icon: bytes of the program's picture resources.
    std::string_view helpFace_;
    std::string_view selectFace_;
    std::string_view createFace_;
    std::string_view pasteFace_;
    std::string_view windowIcon_;
    // Control references, bound at the first exchange of fields.
    int articleTextControl_ = 0;
    int pasteButton_ = 0;
    int selectButton_ = 0;
    int createButton_ = 0;
    int helpButton_ = 0;
    bool controlsBound_ = false;
    bool termsDeclined_ = false;
};

}  // namespace quillora
