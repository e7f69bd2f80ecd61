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

// The file-open and file-save dialogs as QFileDialog, modal over their owner window. Each
// dialog starts afresh and leaves no file behind (see KeepDialogStateUnsaved).
class QtFileDialogs : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* owner);

    bool ShowOpen(const FileDialogRequest& request, std::string& chosen) override;
    bool ShowSave(const FileDialogRequest& request, std::string& chosen) override;

    // The dialog that Show* runs, set up from the request.
    std::unique_ptr<QFileDialog> Build(const FileDialogRequest& request, bool save) const;

    // QFileDialog keeps its history, places and view in Qt's user settings, QSettings with the
    // user scope and the organisation "QtProject": $XDG_CONFIG_HOME/QtProject.conf, a file that
    // is not the program's. Qt has no switch for it, so the user scope of Qt's settings is moved
    // below /dev/null, where no file can ever be made: the dialogs read nothing there and write
    // nothing anywhere. The program keeps no settings of its own in QSettings.
    static void KeepDialogStateUnsaved();

private:
    bool Run(const FileDialogRequest& request, bool save, std::string& chosen);

    QWidget* owner_;
};

}  // namespace quillora
