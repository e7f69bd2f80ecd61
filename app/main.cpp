// Quillora: builds the platform objects of this desktop and runs the application object.
#include <QApplication>

#include "adapters/posix/HiveRegistry.h"
#include "adapters/posix/PosixFileSystem.h"
#include "adapters/posix/PosixTempFolder.h"
#include "adapters/posix/SystemClock.h"
#include "adapters/qt/QtDialogHost.h"
#include "adapters/qt/QtFileDialogs.h"
#include "adapters/qt/QtMessageBoxes.h"
#include "adapters/qt/QtShell.h"
#include "ui/ArticleApp.h"
#include "ui/WindowTemplate.h"

int main(int, char** argv) {
    // The program reads no command line: Qt is given the program's name alone, so that no
    // argument can choose its platform, style or layout direction.
    char programName[] = "quillora";
    int qtArgc = 1;
    char* qtArgv[] = {argv[0] != nullptr ? argv[0] : programName, nullptr};
    QApplication qtApplication(qtArgc, qtArgv);
    // Lets the desktop match the window to the program's menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLORA_APP_ID));

    quillora::PosixFileSystem fileSystem;
    quillora::HiveRegistry registry(fileSystem, quillora::HiveRegistry::DefaultFolder());
    quillora::SystemClock clock;
    quillora::QtDialogHost dialogHost(quillora::MainWindowTemplate());
    quillora::QtMessageBoxes messageBoxes(&dialogHost.Dialog());
    quillora::QtFileDialogs fileDialogs(&dialogHost.Dialog());
    quillora::QtShell shell;
    quillora::PosixTempFolder tempFolder;

    quillora::ArticleApp application(
        quillora::Platform{fileSystem, registry, clock, messageBoxes, fileDialogs, dialogHost, shell, tempFolder});
    return application.StartUp();
}
