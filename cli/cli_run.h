#pragma once

// Test runs from the command line, from choosing the URL to printing the result.
#include <optional>
#include <string>

#include "bandwidth/ending.h"
#include "frontend/history_notice.h"
#include "monitoring/monitor_exports.h"

struct CliOptions;

// What every test of one program run shares.
struct CliContext {
    std::string directory;    // the program's folder: the report, the history, the downloads
    std::string programName;  // as invoked, for messages
    HistoryNotice historyNotice;
    ExportSettings exports;
    bool exportFailed = false;  // an export of some test of this run did not reach its place
};

struct CliTest {
    int exitStatus = 0;  // cli/exit_status.h
    std::optional<TestEnding> ending;
};

// Runs the test that the options ask for, a series or the history's printing, and returns the
// program's exit status (cli/exit_status.h).
int RunCli(const CliOptions& options, const std::string& programName);

// Runs one test of url, showing its progress and printing its result, its cause and, once per
// program run, a history that could not be written. The stop signals must be installed.
CliTest RunOneTest(const CliOptions& options, const std::string& url, CliContext& context);
