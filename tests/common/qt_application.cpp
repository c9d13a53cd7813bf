#include "tests/common/qt_application.h"

#include <QApplication>

QApplication& TestApplication() {
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "corvanite_test";
        static char* argv[] = {name, nullptr};
        // Never destroyed: widgets of static objects may outlive the test body.
        return new QApplication(argc, argv);
    }();
    return *application;
}
