#include "branding/HelpPage.h"

#include "resources/Resources.h"

namespace quillora {

TextBuffer BuildHelpPage(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress) {
    return TextBuffer::Formatted(TextBuffer(resources::HelpPagePattern()),
                                 {windowTitle, windowTitle, resellerAddress, resellerName, resellerAddress, resellerName});
}

bool HelpPage::Show(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress,
                    TextBuffer& pagePath, TextBuffer& picturePath) {
    const TextBuffer page = BuildHelpPage(windowTitle, resellerName, resellerAddress);
    // The folder is checked before each write. Should it have moved between the two, both files
    // are written again in the new one, since the page shows the picture beside it.
    bool written = false;
    for (int attempt = 0; attempt < 2 && !written; ++attempt) {
        launcher_.FillHelpPaths(pagePath, picturePath);
        if (!files_.WriteWholeFile(pagePath, page.Bytes(), FileSystem::WriteMode::Fresh)) break;
        if (!launcher_.FillHelpPaths(pagePath, picturePath)) continue;  // the folder moved
        if (!files_.WriteWholeFile(picturePath, resources::HelpPicture(), FileSystem::WriteMode::Fresh)) break;
        written = true;
    }
    const bool shown = written && launcher_.OpenInBrowser(pagePath, false);
    if (!shown) messages_.ShowError("Unable to show help through your Internet browser");
    return shown;
}

}  // namespace quillora
