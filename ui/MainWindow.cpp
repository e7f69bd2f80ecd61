#include "ui/MainWindow.h"

#include <string>

#include "branding/BrandingRecord.h"
#include "create/ArticleCreator.h"
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

MainWindow::MainWindow(ArticleApp& application, const volatile unsigned char* brandingRecord, DialogHost& host,
                       FileDialogs& fileDialogs, FileSystem& files, Clock& clock, Shell& shell, TempFolder& tempFolder,
                       SettingsStore& settings, Messages& messages, FileIo& fileIo)
    : application_(application),
      brandingRecord_(brandingRecord),
      host_(host),
      fileDialogs_(fileDialogs),
      files_(files),
      settings_(settings),
      messages_(messages),
      creator_(*this, fileIo, settings, fileDialogs, messages, clock, files),
      browser_(fileIo, shell, tempFolder),
      helpPage_(fileIo, messages, browser_),
      windowIcon_(resources::Icon()) {}

bool MainWindow::InitialiseWindow() {
    ShowFields();  // binds the controls; the window is still hidden

    LoadBranding(brandingRecord_);
    if (BrandingInfo.windowTitle.IsEmpty()) BrandingInfo.windowTitle = kProductName;
    host_.SetCaption(std::string(BrandingInfo.windowTitle.Bytes()));
    application_.SetApplicationName(BrandingInfo.windowTitle);  // from here on the caption of every message box
    host_.SetIcons(windowIcon_);

    if (settings_.ReadInt(kSettingsSection, "Terms", 0) == 0 && !TermsPrompt()) {
        termsDeclined_ = true;
        host_.EndDialog(DialogResult::Cancel);
        return false;
    }

    helpFace_ = resources::Bitmap(160);
    host_.SetButtonFace(ControlId::kHelpButton, helpFace_);
    selectFace_ = resources::Bitmap(161);
    host_.SetButtonFace(ControlId::kSelectButton, selectFace_);
    createFace_ = resources::Bitmap(162);
    host_.SetButtonFace(ControlId::kCreateButton, createFace_);
    pasteFace_ = resources::Bitmap(266);
    host_.SetButtonFace(ControlId::kPasteButton, pasteFace_);
    // The white background of the window and its controls is the host's own.

    templatePath = settings_.ReadText(kSettingsSection, "Template", TextBuffer());
    templateName_ = PathParts::FileNameOf(templatePath);
    updateIndex = settings_.ReadInt(kSettingsSection, "Index", 1);
    articleNumber = ArticleCreator::NextArticleNumber(settings_.ReadInt(kSettingsSection, "Counter", 0));
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
    MessageAnswer answer = messages_.Show(message, MessageIcon::Question, MessageButtons::YesNo, 1);
    if (answer != MessageAnswer::Yes) return false;
    settings_.WriteInt(kSettingsSection, "Terms", 1);  // a failure only means asking again next time
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
    ExchangeText(ControlId::kTemplateName, templateName_, true);
    std::string number = host_.Text(ControlId::kArticleNumber);
    if (!ReadIntegerField(TextBuffer(std::string_view(number)), articleNumber)) {
        RejectArticleNumber();
        return false;
    }
    return true;
}

void MainWindow::RejectArticleNumber() {
    messages_.Show(kNotAnIntegerMessage, MessageIcon::None, MessageButtons::Ok);
    host_.SetFocus(ControlId::kArticleNumber);
    host_.SelectAllText(ControlId::kArticleNumber);
}

void MainWindow::ShowFields() {
    if (!controlsBound_) {
        articleTextControl_ = ControlId::kArticleText;
        pasteButton_ = ControlId::kPasteButton;
        selectButton_ = ControlId::kSelectButton;
        createButton_ = ControlId::kCreateButton;
        helpButton_ = ControlId::kHelpButton;
        controlsBound_ = true;
    }
    updateIndex = CheckStateFor(updateIndex);
    host_.SetCheckState(ControlId::kUpdateIndex, updateIndex);
    ExchangeText(ControlId::kArticleText, articleText, false);
    ExchangeText(ControlId::kArticleTitle, articleTitle, false);
    ExchangeText(ControlId::kTemplateName, templateName_, false);
    host_.SetText(ControlId::kArticleNumber, std::to_string(articleNumber));
}

void MainWindow::OnSelectClicked() {
    if (!ReadFields()) return;
    FileDialogRequest request;
    request.title = kSelectTitle;
    request.filter = kTemplateFilter;
    request.fileMustExist = true;
    request.hideReadOnly = true;
    request.initialFolder = settings_.ReadText(kSettingsSection, "InitDir", TextBuffer()).Bytes();
    std::string chosen;
    if (!fileDialogs_.ShowOpen(request, chosen)) return;

    templatePath = TextBuffer(std::string_view(chosen));
    settings_.WriteText(kSettingsSection, "InitDir", PathParts::DirWithoutSlash(templatePath));
    templateName_ = PathParts::FileNameOf(templatePath);
    ShowFields();
}

void MainWindow::OnPasteClicked() {
    host_.SelectAllText(articleTextControl_);
    host_.ScrollCaretIntoView(articleTextControl_);
    host_.Paste(articleTextControl_);
}

void MainWindow::OnOkCommand() {
    if (!ReadFields()) return;
    host_.EndDialog(DialogResult::Ok);
}

void MainWindow::OnCloseRequested() {
    if (!helpPagePath_.IsEmpty()) files_.Remove(std::string(helpPagePath_.Bytes()));
    if (!helpPicturePath_.IsEmpty()) files_.Remove(std::string(helpPicturePath_.Bytes()));
    host_.EndDialog(DialogResult::Cancel);
}

void MainWindow::OnCreateClicked() { creator_.OnCreateClicked(); }

void MainWindow::OnHelpClicked() {
    helpPage_.Show(BrandingInfo.windowTitle, BrandingInfo.resellerName, BrandingInfo.resellerAddress, helpPagePath_,
                   helpPicturePath_);
}

void MainWindow::OnBannerClicked() { browser_.OpenViaRedirectPage(BrandingInfo.resellerAddress, true, helpPagePath_); }

}  // namespace quillora
