#include "app/application.h"

#include <cstdint>
#include <utility>
#include <vector>

#include <QDialog>

#include "app/help_key_filter.h"
#include "platform/desktop/desktop_window.h"
#include "platform/desktop/shell.h"
#include "platform/instance_lock.h"
#include "platform/last_error.h"
#include "platform/message_box.h"
#include "services/app_services.h"
#include "services/executable_path.h"

namespace {

constexpr const char* HelpFailed = "Failed to launch help.";

// Tries each page in turn; only a page that is not there sends it on to the next one, and one
// that is there but that nothing could open is named, so that it can be opened by hand.
void OpenHelpPage(std::vector<std::string> pages) {
    if (pages.empty()) {
        ApplicationMessageBox(HelpFailed, MB_OK);
        return;
    }
    const std::string page = pages.front();
    pages.erase(pages.begin());
    ShellOpenAndReport(nullptr, page.c_str(),
                       [page, rest = std::move(pages)](std::intptr_t result) {
                           if (result > 32)
                               return;
                           if (result == SE_ERR_FNF) {
                               OpenHelpPage(rest);
                               return;
                           }
                           ApplicationMessageBox(std::string(HelpFailed) + "\n" + page +
                                                     "\nOpen it in a web browser, or choose a "
                                                     "default web browser in your desktop's "
                                                     "settings.",
                                                 MB_OK);
                       });
}

}  // namespace

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
    OpenHelpPage({helpFilePath_, installedHelpFilePath_});
}
