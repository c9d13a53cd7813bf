#include "tests/common/qt_application.h"

#include <QApplication>

#include "platform/desktop/qt_message_box.h"

QApplication& TestApplication() {
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "corvanite_test";
        static char* argv[] = {name, nullptr};
        // The program's own boxes, for the tests that answer none themselves.
        UseQtMessageBoxes();
        // Never destroyed: widgets of static objects may outlive the test body.
        return new QApplication(argc, argv);
    }();
    return *application;
}

// The system's font configuration library keeps a cache for the life of the process; the
// leak checker of sanitizer builds is told so rather than failing every test that draws text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
