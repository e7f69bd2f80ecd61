#pragma once

#include <cstdint>
#include <string_view>

#include "branding/BrowserLauncher.h"
#include "branding/HelpPage.h"
#include "engine/ArticleCreator.h"
#include "engine/ArticleForm.h"
#include "engine/TextBuffer.h"
#include "platform/DialogHost.h"

namespace quillora {

class ArticleApp;

// The program's one window: all of its logic, over its members, through a dialog host that
// holds the real controls.
class MainWindow : public ArticleForm, public DialogHandler {
public:
    explicit MainWindow(ArticleApp& app);

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

    // Button faces and the window icon: bytes of the program's picture resources.
    std::string_view helpFace;
    std::string_view selectFace;
    std::string_view createFace;
    std::string_view pasteFace;
    ArticleApp& application;
    TextBuffer helpPagePath;
    TextBuffer helpPicturePath;
    // Control references, bound at the first exchange of fields.
    int articleTextControl = 0;
    int pasteButton = 0;
    int selectButton = 0;
    int createButton = 0;
    int helpButton = 0;
    TextBuffer templateName;
    std::string_view windowIcon;

private:
    void ExchangeText(int id, TextBuffer& member, bool read);
    void RejectArticleNumber();

    DialogHost& host_;
    ArticleCreator creator_;
    BrowserLauncher browser_;
    HelpPage helpPage_;
    bool controlsBound_ = false;
    bool termsDeclined_ = false;
};

}  // namespace quillora
