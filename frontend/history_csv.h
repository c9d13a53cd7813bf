#pragma once

// The history as CSV (RFC 4180: comma-separated, CR LF line ends, fields with a comma, quote or
// line end quoted), one line per test under a header line that names the fields as the JSON of
// corvanite-cli does. Times in seconds, rates in Mbit/s and MB/s, empty where the test has no
// such figure. A text field that a spreadsheet would take for a formula (it begins with
// = + - @) gets a leading apostrophe.
#include <string>
#include <vector>

struct HistoryRow;

std::string HistoryCsvHeader();
std::string HistoryCsvLine(const HistoryRow& row);

// Writes the header and the rows to path, replacing the file. False, with the reason in
// *problem, when the file cannot be written whole.
bool ExportHistoryCsv(const std::vector<HistoryRow>& rows, const std::string& path,
                      std::string* problem);
