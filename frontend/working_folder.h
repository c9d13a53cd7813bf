#pragma once

// The working folder: where a test saves its download and appends the report (and whatever
// else is written beside the report), and where the URL list is looked for. A copy run from a
// folder of the user's own keeps all of it in the program's folder; an installed copy uses the
// user's data folder instead.
#include <optional>
#include <string>
#include <vector>

struct WorkingFolder {
    // Without a trailing separator.
    std::string directory;
    // The URL list files in the order they are tried: the first that can be read is the list.
    std::vector<std::string> urlListFiles;
    // The URLs `corvanite-cli --monitor` tests: $XDG_CONFIG_HOME/corvanite/monitor-urls, one
    // URL per line as in the URL list, wherever the program is.
    std::string monitorList;
};

inline constexpr const char* MonitorListFileName = "monitor-urls";

// What the choice depends on. WorkingFolderOfThisProgram reads it from the running process.
struct WorkingFolderSetting {
    std::string programDirectory;
    // Whether the real user may create files in it.
    bool programDirectoryWritable = false;
    // The values of XDG_DATA_HOME, XDG_CONFIG_HOME and HOME; empty when unset. HOME falls
    // back to the user database's home folder.
    std::string dataHome;
    std::string configHome;
    std::string home;
};

// The program's folder when the user may write it and it is not a bin folder (shared with
// every other program on the PATH). Otherwise $XDG_DATA_HOME/corvanite (default
// ~/.local/share/corvanite), with the list read from $XDG_CONFIG_HOME/corvanite (default
// ~/.config/corvanite) first, then from the program's folder.
WorkingFolder ChooseWorkingFolder(const WorkingFolderSetting& setting);

// The choice for the running program.
WorkingFolder WorkingFolderOfThisProgram();

// A folder the program cannot keep its files in, and why, in the system's words.
struct FolderProblem {
    std::string folder;
    std::string reason;
};

// Makes directory ready for a test: when it is absent, creates it and any missing folder above
// it with access for this user only (mode 0700); then checks that it is a folder the real user
// may create files in. Nothing when it is ready.
std::optional<FolderProblem> PrepareWorkingFolder(const std::string& directory);

// What the user is told: the folder, the reason and what to do about it.
std::string FolderProblemText(const FolderProblem& problem);
