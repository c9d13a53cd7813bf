#include "services/app_services.h"

#include <mutex>

#include "platform/message_box.h"
#include "platform/module_path.h"
#include "services/executable_path.h"

namespace {

// Derived from the running executable unless start-up set it first.
std::string& NameStore() {
    static std::string name = ApplicationNameFromPath(ModuleFileName());
    return name;
}

// Read from worker threads while the user-interface thread sets and clears it.
std::mutex mainWindowLock;
QWidget* mainWindow = nullptr;

bool GetsDefaultIcon(UINT style) {
    if ((style & MB_ICONMASK) != 0)
        return false;
    switch (style & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return true;
        default:
            return false;
    }
}

}  // namespace

const std::string& ApplicationName() {
    return NameStore();
}

void SetApplicationNameFromPath(const std::string& executablePath) {
    NameStore() = ApplicationNameFromPath(executablePath);
}

int ApplicationMessageBox(const std::string& text, UINT style) {
    if (GetsDefaultIcon(style))
        style |= MB_ICONEXCLAMATION;
    return MessageBoxA(MainWindow(), text, ApplicationName(), style);
}

void SetMainWindow(QWidget* window) {
    std::lock_guard lock(mainWindowLock);
    mainWindow = window;
}

void ForgetMainWindow(QWidget* gone) {
    std::lock_guard lock(mainWindowLock);
    if (mainWindow == gone)
        mainWindow = nullptr;
}

QWidget* MainWindow() {
    std::lock_guard lock(mainWindowLock);
    return mainWindow;
}
