#pragma once

#include <string>

namespace quillora {

struct FileDialogRequest {
    std::string title;
    std::string filter;            // "name|pattern|name|pattern||"; patterns are ';'-separated
    std::string initialFolder;     // empty: the dialog's own choice
    std::string initialFileName;
    std::string defaultExtension;  // with or without its leading dot; empty: none
    bool fileMustExist = false;
    bool overwritePrompt = false;  // ask before an existing file is replaced
    bool hideReadOnly = false;
};

// The desktop's modal file-open and file-save dialogs, owned by the main window.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The chosen file's full path; false when the user cancelled or the dialog failed.
    virtual bool ShowOpen(const FileDialogRequest& request, std::string& chosen) = 0;
    virtual bool ShowSave(const FileDialogRequest& request, std::string& chosen) = 0;
};

}  // namespace quillora
