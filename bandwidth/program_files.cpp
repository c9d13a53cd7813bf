#include "bandwidth/program_files.h"

#include <array>
#include <string_view>

#include "bandwidth/report.h"
#include "history/history_store.h"
#include "platform/module_path.h"
#include "services/app_services.h"
#include "services/executable_path.h"

namespace {

constexpr std::array<std::string_view, 7> kFixedNames = {
    UrlListFileName,                    // the URL list
    "Corvanite.html",                   // the help page
    "README",         "corvanite.png",  // a portable copy's notes and icon
    "Corvanite",      "corvanite",     "corvanite-cli",
};

// The history database and the files its journal keeps beside it.
bool IsHistoryFileName(std::string_view name) {
    const std::string_view history = HistoryFileName;
    if (!name.starts_with(history)) {
        return false;
    }
    const std::string_view suffix = name.substr(history.size());
    return suffix.empty() || suffix == "-wal" || suffix == "-shm" || suffix == "-journal";
}

}  // namespace

bool IsProgramFileName(const std::string& name) {
    if (name == TestReport::fileName || IsHistoryFileName(name)) {
        return true;
    }
    for (std::string_view fixed : kFixedNames) {
        if (name == fixed) {
            return true;
        }
    }
    // The running copy may go by another name ("Corvanite.EXE"), and its help page with it.
    const std::string executable = FileNameOf(ModuleFileName());
    const std::string& application = ApplicationName();
    return (!executable.empty() && name == executable) ||
           (!application.empty() && name == application + ".html");
}
