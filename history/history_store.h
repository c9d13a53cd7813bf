#pragma once

// Adding tests to the history, an SQLite database beside the report. Any number of processes
// may record at once: each test is one transaction, and a writer waits a while for another
// to finish. A history that cannot be written never stops a test: the row is left out and the
// caller is told why, in words for the user.
#include <cstdint>
#include <optional>
#include <string>

#include "history/history_row.h"

inline constexpr const char* HistoryFileName = "BandWidth_History.db";

struct HistoryWrite {
    bool recorded = false;
    // When not recorded: what went wrong and what to do, for the user.
    std::string problem;
};

// The report whose blocks a new history begins with: the first upTo bytes of the file at path
// (all of it without a limit), so that a block the test being recorded has just appended is
// not imported beside the test's own row.
struct ReportToImport {
    std::string path;
    std::optional<std::uint64_t> upTo;
};

// Adds row (its URL masked again, its id ignored) to the history at historyPath. The first
// time, the history is created and the report's blocks are imported before the row; a report
// that cannot be read adds nothing.
HistoryWrite RecordInHistory(const std::string& historyPath, const HistoryRow& row,
                             const ReportToImport& report);

// Creates the history at historyPath, with the report's blocks imported, when there is none;
// a history that is there is left as it is. A test calls it before it starts, so that the
// end of the test only adds its row.
HistoryWrite CreateHistory(const std::string& historyPath, const ReportToImport& report);
