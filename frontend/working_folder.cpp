#include "frontend/working_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "bandwidth/program_files.h"
#include "frontend/program_directory.h"

namespace {

constexpr const char* FolderName = "corvanite";

std::string WithoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// An XDG variable counts only when it holds an absolute path, as the base directory rules
// say. Without a known home the default hangs from the root, where a user cannot create it:
// the test then fails to save its files, and nothing lands in the current directory.
std::string BaseDirectory(const std::string& variable, const std::string& home,
                          const char* defaultBelowHome) {
    if (!variable.empty() && variable.front() == '/') {
        return WithoutTrailingSlashes(variable);
    }
    const std::string base = !home.empty() && home.front() == '/' ? home : std::string();
    return WithoutTrailingSlashes(base) + "/" + defaultBelowHome;
}

// A bin folder holds programs only: a per-user install's ~/.local/bin is writable, and so is
// /usr/bin for root, but neither is a place for reports and downloads.
bool IsBinFolder(const std::string& directory) {
    const std::string path = WithoutTrailingSlashes(directory);
    return path == "/bin" || (path.size() > 4 && path.compare(path.size() - 4, 4, "/bin") == 0);
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeFolder() {
    std::string home = Variable("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

// Creates path and the folders above it that are missing; 0 or the first failure's errno.
int MakeFolders(const std::string& path) {
    if (mkdir(path.c_str(), S_IRWXU) == 0 || errno == EEXIST) {
        return 0;
    }
    if (errno != ENOENT) {
        return errno;
    }
    const std::string::size_type slash = path.rfind('/');
    if (slash == 0 || slash == std::string::npos) {
        return ENOENT;
    }
    if (const int failure = MakeFolders(path.substr(0, slash))) {
        return failure;
    }
    return mkdir(path.c_str(), S_IRWXU) == 0 || errno == EEXIST ? 0 : errno;
}

}  // namespace

WorkingFolder ChooseWorkingFolder(const WorkingFolderSetting& setting) {
    const std::string program = WithoutTrailingSlashes(setting.programDirectory);
    const std::string programList = program + "/" + UrlListFileName;
    const std::string monitorList = BaseDirectory(setting.configHome, setting.home, ".config") +
                                    "/" + FolderName + "/" + MonitorListFileName;
    if (setting.programDirectoryWritable && !program.empty() && !IsBinFolder(program)) {
        return {program, {programList}, monitorList};
    }
    WorkingFolder folder;
    folder.monitorList = monitorList;
    folder.directory =
        BaseDirectory(setting.dataHome, setting.home, ".local/share") + "/" + FolderName;
    folder.urlListFiles.push_back(BaseDirectory(setting.configHome, setting.home, ".config") + "/" +
                                  FolderName + "/" + UrlListFileName);
    if (!program.empty()) {
        folder.urlListFiles.push_back(programList);
    }
    return folder;
}

WorkingFolder WorkingFolderOfThisProgram() {
    WorkingFolderSetting setting;
    setting.programDirectory = ProgramDirectoryOfExecutable();
    // access() asks for the real user, who is the one the files are for.
    setting.programDirectoryWritable = !setting.programDirectory.empty() &&
                                       access(setting.programDirectory.c_str(), W_OK | X_OK) == 0;
    setting.dataHome = Variable("XDG_DATA_HOME");
    setting.configHome = Variable("XDG_CONFIG_HOME");
    setting.home = HomeFolder();
    return ChooseWorkingFolder(setting);
}

std::optional<FolderProblem> PrepareWorkingFolder(const std::string& directory) {
    const auto problem = [&directory](int error) {
        return FolderProblem{directory, std::strerror(error)};
    };
    if (directory.empty() || directory.front() != '/') {
        return problem(ENOENT);
    }
    struct stat status;
    if (stat(directory.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            return problem(errno);
        }
        if (const int failure = MakeFolders(directory)) {
            return problem(failure);
        }
        // The mode asked of mkdir is cut by the umask; the folder is this user's alone.
        if (chmod(directory.c_str(), S_IRWXU) != 0 || stat(directory.c_str(), &status) != 0) {
            return problem(errno);
        }
    }
    if (!S_ISDIR(status.st_mode)) {
        return problem(ENOTDIR);
    }
    if (access(directory.c_str(), W_OK | X_OK) != 0) {
        return problem(errno);
    }
    return std::nullopt;
}

std::string FolderProblemText(const FolderProblem& problem) {
    return "Cannot keep the report and the downloads in the folder \"" + problem.folder +
           "\": " + problem.reason +
           ". Make it a folder you can write, or set XDG_DATA_HOME to another place.";
}
