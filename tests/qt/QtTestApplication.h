#pragma once

#include <QApplication>
#include <QByteArray>

namespace quillora::testing {

// The one QApplication of the test program, on the offscreen platform unless told otherwise.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *application;
}

// A first member for fixtures whose other members are widgets.
struct UsesQApplication {
    UsesQApplication() { TestApplication(); }
};

}  // namespace quillora::testing
