#include "adapters/win32/Win32FileDialogs.h"

#include <commdlg.h>

#include "adapters/win32/Win32DialogHost.h"

namespace quillora {

std::string Win32FileDialogs::FilterList(const std::string& filter) {
    std::string list = filter;
    for (char& c : list) {
        if (c == '|') c = '\0';
    }
    // Two more NULs: the list ends at the first empty string, with or without the closing "||".
    list.append(2, '\0');
    return list;
}

DWORD Win32FileDialogs::FlagsOf(const FileDialogRequest& request) {
    DWORD flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (request.fileMustExist) flags |= OFN_FILEMUSTEXIST;
    if (request.overwritePrompt) flags |= OFN_OVERWRITEPROMPT;
    if (request.hideReadOnly) flags |= OFN_HIDEREADONLY;
    return flags;
}

bool Win32FileDialogs::Run(const FileDialogRequest& request, bool save, std::string& chosen) {
    char path[MAX_PATH] = {};
    request.initialFileName.copy(path, MAX_PATH - 1);
    const std::string filter = FilterList(request.filter);
    // The dialog wants the extension without its dot.
    std::string extension = request.defaultExtension;
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_ != nullptr ? owner_->Window() : nullptr;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrTitle = request.title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = FlagsOf(request);
    if (!(save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))) return false;
    chosen = path;
    return true;
}

bool Win32FileDialogs::ShowOpen(const FileDialogRequest& request, std::string& chosen) { return Run(request, false, chosen); }

bool Win32FileDialogs::ShowSave(const FileDialogRequest& request, std::string& chosen) { return Run(request, true, chosen); }

}  // namespace quillora
