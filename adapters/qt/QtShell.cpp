#include "adapters/qt/QtShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace quillora {

int QtShell::OpenWithDefaultProgram(const std::string& path) {
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    return QDesktopServices::openUrl(url) ? kAccepted : kNoProgram;
}

}  // namespace quillora
