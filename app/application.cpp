#include "app/application.h"

#include <cstdint>
#include <utility>

#include <QDialog>

#include "app/help_key_filter.h"
#include "platform/desktop/desktop_window.h"
#include "platform/desktop/shell.h"
#include "platform/instance_lock.h"
#include "platform/last_error.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "services/executable_path.h"

TestApp::TestApp(DialogFactory makeDialog) : makeDialog_(std::move(makeDialog)) {}

TestApp::~TestApp() = default;

void TestApp::initialise(const std::string& executablePath) {
    SetApplicationNameFromPath(executablePath);
    helpFilePath_ = HelpFilePathFromPath(executablePath);
    installedHelpFilePath_ = InstalledHelpFilePathFromPath(executablePath);
}

bool TestApp::startUp() {
    // Only another holder of the name stops the start; a guard that cannot be made at all
    // (no usable directory) lets the program run as the first instance.
    if (!CreateInstanceLock(ApplicationName()) && GetLastError() == ERROR_ALREADY_EXISTS) {
        MessageBoxA(nullptr, "Only One Instance Is Allowed!", "Warning!", MB_OK);
        return false;
    }

    const HelpKeyFilter helpKey([this] { help(); });
    std::unique_ptr<QDialog> dialog = makeDialog_ ? makeDialog_() : nullptr;
    if (dialog != nullptr) {
        SetMainWindow(AsDesktopWindow(dialog.get()));
        // A dialog that deletes itself on closing stops being the main window there and then.
        QObject::connect(dialog.get(), &QObject::destroyed,
                         [window = AsDesktopWindow(dialog.get())] { ForgetMainWindow(window); });
        dialog->exec();
        SetMainWindow(nullptr);
    }
    return false;
}

void TestApp::help() const {
    for (const std::string* page : {&helpFilePath_, &installedHelpFilePath_}) {
        const std::intptr_t result =
            ShellExecuteA(0, "open", page->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (result > 32)
            return;
        // Only a page that is not there sends us on to the next place.
        if (result != SE_ERR_FNF)
            break;
    }
    ApplicationMessageBox("Failed to launch help.", MB_OK);
}
