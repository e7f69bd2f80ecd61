#pragma once

#include <string>

#include <windows.h>

#include "platform/FileDialogs.h"

namespace quillora {

class Win32DialogHost;

// GetOpenFileNameA and GetSaveFileNameA in the Explorer style, owned by the dialog window, with
// room for a path of MAX_PATH (260) characters.
class Win32FileDialogs : public FileDialogs {
public:
    explicit Win32FileDialogs(const Win32DialogHost* owner) : owner_(owner) {}

    bool ShowOpen(const FileDialogRequest& request, std::string& chosen) override;
    bool ShowSave(const FileDialogRequest& request, std::string& chosen) override;

    // "name|pattern|name|pattern||" as the dialog's list of NUL-ended strings, ended by an empty one.
    static std::string FilterList(const std::string& filter);
    static DWORD FlagsOf(const FileDialogRequest& request);

private:
    bool Run(const FileDialogRequest& request, bool save, std::string& chosen);

    const Win32DialogHost* owner_;
};

}  // namespace quillora
