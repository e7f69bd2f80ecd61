#pragma once

#include "branding/BrowserLauncher.h"
#include "storage/Messages.h"
#include "engine/TextBuffer.h"
#include "storage/FileIo.h"

namespace quillora {

// The user guide filled in with the branding: the title in the page title and the heading,
// the reseller's address and name in the two links. Nothing is escaped.
TextBuffer BuildHelpPage(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress);

// The Help command: writes the guide and its picture to the temporary folder and opens the
// guide in the browser.
class HelpPage {
public:
    HelpPage(FileIo& files, Messages& messages, BrowserLauncher& launcher)
        : files_(files), messages_(messages), launcher_(launcher) {}

    // pagePath and picturePath are the window's paths of the two files, set here when either
    // is empty. Any failure ends in "Unable to show help through your Internet browser",
    // after the write message of a failed write; the result is true when the page was opened.
    bool Show(const TextBuffer& windowTitle, const TextBuffer& resellerName, const TextBuffer& resellerAddress,
              TextBuffer& pagePath, TextBuffer& picturePath);

private:
    FileIo& files_;
    Messages& messages_;
    BrowserLauncher& launcher_;
};

}  // namespace quillora
