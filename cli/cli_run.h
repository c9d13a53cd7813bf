#pragma once

// One test run from the command line, from choosing the URL to printing the result.
#include <string>

struct CliOptions;

// Runs the test that the options ask for and returns the program's exit status
// (cli/exit_status.h).
int RunCli(const CliOptions& options, const std::string& programName);
