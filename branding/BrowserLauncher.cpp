#include "branding/BrowserLauncher.h"

#include <string>

namespace quillora {
namespace {

const char kRedirectPage[] =
    "<HTML><HEAD><TITLE>Redirect</TITLE>\n"
    "<META HTTP-EQUIV=\"refresh\" CONTENT=\"0; URL=%s\">\n"
    "</HEAD><BODY><br><br><br><center>If you are not redirected automatically, please "
    "<a href=\"%s\" style=\"color:#000000\">click here</a></center></BODY></HTML>";

const char kBrowserMessage[] =
    "Unable to activate your Internet browser\n\nPlease activate your browser and enter the address:\n\n%s";

}  // namespace

bool BrowserLauncher::OpenInBrowser(const TextBuffer& target, bool reportFailure) {
    return Open(target, reportFailure, target);
}

bool BrowserLauncher::OpenViaRedirectPage(const TextBuffer& address, bool reportFailure, TextBuffer& pagePath) {
    const TextBuffer page = TextBuffer::Formatted(kRedirectPage, {address, address});
    FillPagePath(pagePath);
    if (!files_.WriteWholeFile(pagePath, page.Bytes(), FileSystem::WriteMode::Fresh)) return false;
    return Open(pagePath, reportFailure, address);
}

bool BrowserLauncher::FillHelpPaths(TextBuffer& pagePath, TextBuffer& picturePath) {
    const TextBuffer folder(temporary_.Folder());
    const TextBuffer page = folder + TextBuffer(kHelpPageFileName);
    const TextBuffer picture = folder + TextBuffer(kHelpPictureFileName);
    if (pagePath.Equals(page) && picturePath.Equals(picture)) return true;
    pagePath = page;
    picturePath = picture;
    return false;
}

void BrowserLauncher::FillPagePath(TextBuffer& pagePath) {
    const TextBuffer page = TextBuffer(temporary_.Folder()) + TextBuffer(kHelpPageFileName);
    if (!pagePath.Equals(page)) pagePath = page;
}

bool BrowserLauncher::Open(const TextBuffer& file, bool reportFailure, const TextBuffer& shownAddress) {
    if (Shell::Accepted(shell_.OpenWithDefaultProgram(std::string(file.Bytes())))) return true;
    if (reportFailure) files_.ShowFormattedError(kBrowserMessage, shownAddress);
    return false;
}

}  // namespace quillora
