#pragma once

#include <memory>
#include <string>

#include <QStringList>

#include "platform/FileDialogs.h"

class QFileDialog;
class QWidget;

namespace quillora {

// The filter text "name|pattern|name|pattern||" as QFileDialog's name filters,
// "name (pattern pattern)": patterns separated by ';' become separated by blanks, and "*.*"
// (every file on the desktop this form comes from) becomes "*".
QStringList QtNameFilters(const std::string& filter);

// The file-open and file-save dialogs as QFileDialog, modal over their owner window.
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* owner) : owner_(owner) {}

    bool ShowOpen(const FileDialogRequest& request, std::string& chosen) override;
    bool ShowSave(const FileDialogRequest& request, std::string& chosen) override;

    // The dialog that Show* runs, set up from the request.
    std::unique_ptr<QFileDialog> Build(const FileDialogRequest& request, bool save) const;

private:
    bool Run(const FileDialogRequest& request, bool save, std::string& chosen);

    QWidget* owner_;
};

}  // namespace quillora
