#include "adapters/qt/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QSettings>

#include "adapters/qt/LocalText.h"

namespace quillora {

QStringList QtNameFilters(const std::string& filter) {
    QStringList parts = FromLocal(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty()) break;  // the closing "||"
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(name, patterns.join(u' '));
    }
    return filters;
}

QtFileDialogs::QtFileDialogs(QWidget* owner) : owner_(owner) { KeepDialogStateUnsaved(); }

void QtFileDialogs::KeepDialogStateUnsaved() {
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
    }
}

std::unique_ptr<QFileDialog> QtFileDialogs::Build(const FileDialogRequest& request, bool save) const {
    auto dialog = std::make_unique<QFileDialog>(owner_, FromLocal(request.title));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(!save && request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The filters' own names already list their patterns.
    dialog->setOption(QFileDialog::HideNameFilterDetails, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !(save && request.overwritePrompt));
    QStringList filters = QtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        dialog->selectNameFilter(filters.front());
    }
    if (!request.initialFolder.empty()) dialog->setDirectory(FromLocal(request.initialFolder));
    if (!request.initialFileName.empty()) dialog->selectFile(FromLocal(request.initialFileName));
    QString suffix = FromLocal(request.defaultExtension);
    if (suffix.startsWith(u'.')) suffix.remove(0, 1);
    dialog->setDefaultSuffix(suffix);
    dialog->setWindowModality(Qt::ApplicationModal);
    return dialog;
}

bool QtFileDialogs::Run(const FileDialogRequest& request, bool save, std::string& chosen) {
    std::unique_ptr<QFileDialog> dialog = Build(request, save);
    if (dialog->exec() != QDialog::Accepted) return false;
    QStringList files = dialog->selectedFiles();
    if (files.isEmpty()) return false;
    chosen = ToLocal(QDir::toNativeSeparators(files.front()));
    return true;
}

bool QtFileDialogs::ShowOpen(const FileDialogRequest& request, std::string& chosen) { return Run(request, false, chosen); }

bool QtFileDialogs::ShowSave(const FileDialogRequest& request, std::string& chosen) { return Run(request, true, chosen); }

}  // namespace quillora
