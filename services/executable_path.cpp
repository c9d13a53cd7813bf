#include "services/executable_path.h"

#include <filesystem>

#include "services/app_services.h"

namespace {

// Where the file name's extension starts (its "."), or the file name's length when it has
// none.
std::string::size_type ExtensionStart(const std::string& fileName) {
    const std::string::size_type dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName.size() : dot;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
    const std::string::size_type separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string ApplicationNameFromPath(const std::string& executablePath) {
    const std::string fileName = FileNameOf(executablePath);
    return fileName.substr(0, ExtensionStart(fileName));
}

std::string HelpFilePathFromPath(const std::string& executablePath) {
    const std::string fileName = FileNameOf(executablePath);
    const std::string::size_type nameStart = executablePath.size() - fileName.size();
    return executablePath.substr(0, nameStart + ExtensionStart(fileName)) + ".html";
}

std::string InstalledHelpFilePathFromPath(const std::string& executablePath) {
    const std::string folder =
        executablePath.substr(0, executablePath.size() - FileNameOf(executablePath).size());
    const std::filesystem::path page = std::filesystem::path(folder.empty() ? "." : folder) / ".." /
                                       "share" / "corvanite" / "corvanite.html";
    return page.lexically_normal().string();
}
