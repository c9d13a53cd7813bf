#pragma once

// Reading the report's blocks back, so that a new history begins with the tests the report
// already holds.
#include <string_view>
#include <vector>

#include "history/history_row.h"

// The blocks of a report's text (CR LF or LF line ends), oldest first, as rows of finished
// tests with whole-second figures: the start stamp (local time) taken to UTC, the URL masked,
// the bytes, and, when the report counted at least one second, that as the total time with the
// rate made of it. A block without its URL, byte or seconds line is left out.
std::vector<HistoryRow> RowsOfReport(std::string_view report);
