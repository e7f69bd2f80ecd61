#include "branding/HelpPage.h"

#include "resources/Resources.h"

namespace quillora {

TextBuffer BuildHelpPage(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress) {
    return TextBuffer::Formatted(TextBuffer(resources::HelpPagePattern()),
                                 {windowTitle, windowTitle, resellerAddress, resellerName, resellerAddress, resellerName});
}

bool HelpPage::Show(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress,
                    TextBuffer& pagePath, TextBuffer& picturePath) {
    launcher_.FillHelpPaths(pagePath, picturePath);
    const TextBuffer page = BuildHelpPage(windowTitle, resellerName, resellerAddress);
    const bool shown = files_.WriteWholeFile(pagePath, page.Bytes(), FileIo::Links::Replace) &&
                       files_.WriteWholeFile(picturePath, resources::HelpPicture(), FileIo::Links::Replace) &&
                       launcher_.OpenInBrowser(pagePath, false);
    if (!shown) messages_.ShowError("Unable to show help through your Internet browser");
    return shown;
}

}  // namespace quillora
