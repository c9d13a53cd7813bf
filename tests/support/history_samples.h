#pragma once

// Rows for the tests of the history and of what shows it.
#include <cstdint>
#include <optional>
#include <string>

#include "history/history_row.h"

// A row with the figures a table or chart shows; the others left unknown.
inline HistoryRow SampleRow(const std::string& start, const std::string& url, unsigned outcome,
                            std::uint64_t bytes, std::optional<double> total,
                            std::optional<double> rate) {
    HistoryRow row;
    row.startUtc = start;
    row.url = url;
    row.outcome = outcome;
    row.bytes = bytes;
    row.totalSeconds = total;
    row.megabitsPerSecond = rate;
    return row;
}

// A finished test with every figure known: 100 MB in 8.5 s from the command line.
inline HistoryRow FinishedSampleRow() {
    HistoryRow row = SampleRow("2026-12-08T17:05:09.123Z", "http://h/f.bin", 0, 100000000, 8.5,
                               100000000 * 8 / 1e6 / 8.5);
    row.firstByteSeconds = 0.023;
    row.transferSeconds = 8.477;
    row.serverAddress = "192.0.2.7:80";
    row.program = "corvanite-cli";
    return row;
}
