#include "ui/MainWindow.h"

#include <string>

#include "branding/BrandingRecord.h"
#include "engine/ArticleCreator.h"
#include "engine/IntegerField.h"
#include "engine/PathParts.h"
#include "resources/Resources.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

namespace quillora {
namespace {

const char kSelectTitle[] = "Select your template file";
const char kTemplateFilter[] = "HTML Files (*.htm, *.html)|*.htm;*.html|Php Files (*.php)|*.php|All Files (*.*)|*.*||";

}  // namespace

MainWindow::MainWindow(ArticleApp& app)
    : application(app),
      windowIcon(resources::Icon()),
      host_(app.platform.dialogHost),
      creator_(*this, app.fileIo, app.settings, app.platform.fileDialogs, app.messages, app.platform.clock,
               app.platform.fileSystem),
      browser_(app.fileIo, app.platform.shell, app.platform.tempFolder),
      helpPage_(app.fileIo, app.messages, browser_) {}

bool MainWindow::InitialiseWindow() {
    ShowFields();  // binds the controls; the window is still hidden

    LoadBranding(application.brandingRecord);
    if (BrandingInfo.windowTitle.IsEmpty()) BrandingInfo.windowTitle = kProductName;
    host_.SetCaption(std::string(BrandingInfo.windowTitle.Bytes()));
    application.applicationName = BrandingInfo.windowTitle;  // from here on the caption of every message box
    host_.SetIcons(windowIcon);

    if (application.settings.ReadInt(kSettingsSection, "Terms", 0) == 0 && !TermsPrompt()) {
        termsDeclined_ = true;
        host_.EndDialog(DialogResult::Cancel);
        return false;
    }

    helpFace = resources::Bitmap(160);
    host_.SetButtonFace(ControlId::kHelpButton, helpFace);
    selectFace = resources::Bitmap(161);
    host_.SetButtonFace(ControlId::kSelectButton, selectFace);
    createFace = resources::Bitmap(162);
    host_.SetButtonFace(ControlId::kCreateButton, createFace);
    pasteFace = resources::Bitmap(266);
    host_.SetButtonFace(ControlId::kPasteButton, pasteFace);
    // The white background of the window and its controls is the host's own.

    templatePath = application.settings.ReadText(kSettingsSection, "Template", TextBuffer());
    templateName = PathParts::FileNameOf(templatePath);
    updateIndex = application.settings.ReadInt(kSettingsSection, "Index", 1);
    articleNumber = ArticleCreator::NextArticleNumber(application.settings.ReadInt(kSettingsSection, "Counter", 0));
    ShowFields();
    return true;
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case ControlId::kHelpButton: OnHelpClicked(); break;
    case ControlId::kCreateButton: OnCreateClicked(); break;
    case ControlId::kBanner: OnBannerClicked(); break;
    case ControlId::kSelectButton: OnSelectClicked(); break;
    case ControlId::kPasteButton: OnPasteClicked(); break;
    case kIdOk: OnOkCommand(); break;
    case kIdCancel: OnCloseRequested(); break;
    default: break;
    }
}

bool MainWindow::TermsPrompt() {
    TextBuffer message(kTermsDisclaimer);
    message.Append(kTermsQuestion);
    MessageAnswer answer = application.messages.Show(message, MessageIcon::Question, MessageButtons::YesNo, 1);
    if (answer != MessageAnswer::Yes) return false;
    application.settings.WriteInt(kSettingsSection, "Terms", 1);  // a failure only means asking again next time
    return true;
}

void MainWindow::ExchangeText(int id, TextBuffer& member, bool read) {
    std::string shown = host_.Text(id);
    if (read) {
        member = TextBuffer(std::string_view(shown));
    } else if (shown != member.Bytes()) {
        host_.SetText(id, std::string(member.Bytes()));
    }
}

bool MainWindow::ReadFields() {
    updateIndex = host_.CheckState(ControlId::kUpdateIndex);
    ExchangeText(ControlId::kArticleText, articleText, true);
    ExchangeText(ControlId::kArticleTitle, articleTitle, true);
    ExchangeText(ControlId::kTemplateName, templateName, true);
    std::string number = host_.Text(ControlId::kArticleNumber);
    if (!ReadIntegerField(TextBuffer(std::string_view(number)), articleNumber)) {
        RejectArticleNumber();
        return false;
    }
    return true;
}

void MainWindow::RejectArticleNumber() {
    application.messages.Show(kNotAnIntegerMessage, MessageIcon::None, MessageButtons::Ok);
    host_.SetFocus(ControlId::kArticleNumber);
    host_.SelectAllText(ControlId::kArticleNumber);
}

void MainWindow::ShowFields() {
    if (!controlsBound_) {
        articleTextControl = ControlId::kArticleText;
        pasteButton = ControlId::kPasteButton;
        selectButton = ControlId::kSelectButton;
        createButton = ControlId::kCreateButton;
        helpButton = ControlId::kHelpButton;
        controlsBound_ = true;
    }
    updateIndex = CheckStateFor(updateIndex);
    host_.SetCheckState(ControlId::kUpdateIndex, updateIndex);
    ExchangeText(ControlId::kArticleText, articleText, false);
    ExchangeText(ControlId::kArticleTitle, articleTitle, false);
    ExchangeText(ControlId::kTemplateName, templateName, false);
    host_.SetText(ControlId::kArticleNumber, std::to_string(articleNumber));
}

void MainWindow::OnSelectClicked() {
    if (!ReadFields()) return;
    FileDialogRequest request;
    request.title = kSelectTitle;
    request.filter = kTemplateFilter;
    request.fileMustExist = true;
    request.hideReadOnly = true;
    request.initialFolder = application.settings.ReadText(kSettingsSection, "InitDir", TextBuffer()).Bytes();
    std::string chosen;
    if (!application.platform.fileDialogs.ShowOpen(request, chosen)) return;

    templatePath = TextBuffer(std::string_view(chosen));
    application.settings.WriteText(kSettingsSection, "InitDir", PathParts::DirWithoutSlash(templatePath));
    templateName = PathParts::FileNameOf(templatePath);
    ShowFields();
}

void MainWindow::OnPasteClicked() {
    host_.SelectAllText(articleTextControl);
    host_.ScrollCaretIntoView(articleTextControl);
    host_.Paste(articleTextControl);
}

void MainWindow::OnOkCommand() {
    if (!ReadFields()) return;
    host_.EndDialog(DialogResult::Ok);
}

void MainWindow::OnCloseRequested() {
    if (!helpPagePath.IsEmpty()) application.platform.fileSystem.Remove(std::string(helpPagePath.Bytes()));
    if (!helpPicturePath.IsEmpty()) application.platform.fileSystem.Remove(std::string(helpPicturePath.Bytes()));
    host_.EndDialog(DialogResult::Cancel);
}

void MainWindow::OnCreateClicked() { creator_.OnCreateClicked(); }

void MainWindow::OnHelpClicked() {
    helpPage_.Show(BrandingInfo.windowTitle, BrandingInfo.resellerName, BrandingInfo.resellerAddress, helpPagePath,
                   helpPicturePath);
}

void MainWindow::OnBannerClicked() { browser_.OpenViaRedirectPage(BrandingInfo.resellerAddress, true, helpPagePath); }

}  // namespace quillora
