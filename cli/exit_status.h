#pragma once

// The exit status of corvanite-cli: the test's outcome where it has one
// (frontend/outcome_table.h), else a code of the program's own, away from the outcomes (0, 1,
// 2, 100 to 108).
#include <vector>

#include "frontend/outcome_table.h"

constexpr int ExitUsage = 64;  // the command line cannot be used
constexpr int ExitNoUrl = 65;  // no URL to test: an empty one, or an empty list file
// The test could not be run, or ended without a known outcome.
constexpr int ExitInternal = ExitUnknownOutcome;
// The tests succeeded and an export did not (asked for with --export-failure-status).
constexpr int ExitExportFailed = 75;
constexpr int ExitInterrupted = 130;  // a second Ctrl-C ended the program at once

struct ExitStatusMeaning {
    int status;
    const char* meaning;  // one sentence
};

// Every exit status with what it means, the outcomes' first, in the order the help and the
// manual page list them.
std::vector<ExitStatusMeaning> ExitStatusMeanings();
