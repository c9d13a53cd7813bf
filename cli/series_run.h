#pragma once

// A series of tests from the command line, for monitoring: N tests of one URL, each started an
// interval after the one before, then a summary of their rates (cli/series_summary.h).
#include <string>

struct CliContext;
struct CliOptions;

// Runs options.repeat tests of url (one without a summary when it is 1) and returns the exit
// status: 0 when every test finished, else that of the last test that did not. A stop signal
// ends the series after the test it stopped, or at once between tests.
int RunSeries(const CliOptions& options, const std::string& url, CliContext& context);
