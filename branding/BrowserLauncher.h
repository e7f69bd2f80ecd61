#pragma once

#include "engine/TextBuffer.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"
#include "storage/FileIo.h"

namespace quillora {

// Names of the two temporary help files; both lie in the temporary folder, because the help
// page refers to the picture by its bare file name. The banner's redirect page shares the
// page's file.
inline constexpr const char* kHelpPageFileName = "temp_vodadir_help.html";
inline constexpr const char* kHelpPictureFileName = "temp_vodadir_box.gif";

// Opens local pages and web addresses in the user's default browser.
class BrowserLauncher {
public:
    BrowserLauncher(FileIo& files, Shell& shell, TempFolder& temporary)
        : files_(files), shell_(shell), temporary_(temporary) {}

    // Hands the file to the desktop. True when it was accepted; otherwise false, after the
    // browser message naming the file when reportFailure is set.
    bool OpenInBrowser(const TextBuffer& target, bool reportFailure);

    // Writes a page that redirects at once to address into pagePath (see FillPagePath) and opens
    // it. False after a failed write (its own message only) or when the desktop refuses the page
    // (the browser message naming the address when reportFailure is set).
    bool OpenViaRedirectPage(const TextBuffer& address, bool reportFailure, TextBuffer& pagePath);

    // The temporary folder is checked again before every write to it (TempFolder::Folder), so a
    // folder that was swapped or opened to others since the last look is never written into.

    // The paths of the two help files in the temporary folder as it is now. When either is empty,
    // or they lie elsewhere than the folder now checked, both are set afresh; otherwise both stay.
    // True when they stayed.
    bool FillHelpPaths(TextBuffer& pagePath, TextBuffer& picturePath);
    // The same for the page's path alone.
    void FillPagePath(TextBuffer& pagePath);

private:
    bool Open(const TextBuffer& file, bool reportFailure, const TextBuffer& shownAddress);

    FileIo& files_;
    Shell& shell_;
    TempFolder& temporary_;
};

}  // namespace quillora
