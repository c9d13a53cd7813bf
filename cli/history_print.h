#pragma once

// corvanite-cli --history: the history printed as a table, as CSV or as JSON lines.
#include <string>

struct CliOptions;
struct HistoryRow;

// The table's header line and one row's line:
//   Start (UTC)           Mbit/s     MB/s         Bytes   Total s  First byte  Outcome  Program URL
// A row imported from the report has its whole-second total marked with "*".
std::string HistoryTableHeader();
std::string HistoryTableLine(const HistoryRow& row);
// One row as a JSON object on one line.
std::string HistoryJsonLine(const HistoryRow& row);

// Prints the history of the program's folder, newest first (only options.url's tests when one
// is given), and returns the exit status: 0, or ExitInternal when the history could not be read
// or the output could not be written.
int PrintHistory(const CliOptions& options, const std::string& directory,
                 const std::string& programName);
