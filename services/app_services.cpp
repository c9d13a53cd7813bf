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
DesktopWindow* mainWindow = nullptr;

bool GetsDefaultIcon(UINT style) {
    return (style & MB_ICONMASK) == 0;
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

void SetMainWindow(DesktopWindow* window) {
    std::lock_guard lock(mainWindowLock);
    mainWindow = window;
}

void ForgetMainWindow(DesktopWindow* gone) {
    std::lock_guard lock(mainWindowLock);
    if (mainWindow == gone)
        mainWindow = nullptr;
}

DesktopWindow* MainWindow() {
    std::lock_guard lock(mainWindowLock);
    return mainWindow;
}
