#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QApplication>

#include "app/application.h"
#include "app/display_environment.h"
#include "bandwidth/running_workers.h"
#include "platform/desktop/qt_message_box.h"
#include "platform/module_path.h"
#include "services/app_services.h"
#include "services/version.h"
#include "ui/app_icon.h"
#include "ui/main_dialog.h"

namespace {

// The version record, kept in a section of its own so that it can be read from the file.
[[gnu::used, gnu::section(".corvanite_version")]] const char versionRecord[] =
    "FileVersion=" CORVANITE_FILE_VERSION
    "\n"
    "ProductVersion=" CORVANITE_PRODUCT_VERSION
    "\n"
    "FileDescription=" CORVANITE_FILE_DESCRIPTION
    "\n"
    "Comments=" CORVANITE_COMMENTS
    "\n"
    "InternalName=" CORVANITE_INTERNAL_NAME
    "\n"
    "ProductName=" CORVANITE_PRODUCT_NAME
    "\n"
    "OriginalFilename=" CORVANITE_ORIGINAL_FILE_NAME
    "\n"
    "CompanyName=" CORVANITE_COMPANY_NAME
    "\n"
    "LegalCopyright=" CORVANITE_LEGAL_COPYRIGHT "\n";

// Everything a test writes is on disk before its finished notification; what a worker may
// still be doing after that is closing its connection, which must not keep the program (and
// with it the single-instance guard) alive once the window has closed.
constexpr std::chrono::seconds WorkerClosingLimit(2);

}  // namespace

int main(int argc, char* argv[]) {
    // Without a display the toolkit would abort with a message about its plug-ins.
    if (!DisplayNamed()) {
        std::fprintf(stderr, "%s\n",
                     NoDisplayLine(ApplicationNameFromPath(ModuleFileName())).c_str());
        return 1;
    }

    // The program ignores its command line, the toolkit's own options included.
    static char fallbackName[] = "Corvanite";
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : fallbackName, nullptr};
    QApplication application(toolkitArgc, toolkitArgv);
    QApplication::setOrganizationName(QStringLiteral(CORVANITE_COMPANY_NAME));
    QApplication::setApplicationVersion(QStringLiteral(CORVANITE_FILE_VERSION));
    // Every window of the program carries the icon: the message boxes and the About box too.
    QApplication::setWindowIcon(ApplicationIcon());

    UseQtMessageBoxes();

    TestApp app([] { return std::make_unique<TestDialog>(); });
    app.initialise(ModuleFileName());
    app.startUp();

    if (!WaitForTestWorkers(WorkerClosingLimit)) {
        // Static objects are not destroyed under a worker that still runs.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    return 0;
}
