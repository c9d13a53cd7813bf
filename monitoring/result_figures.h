#pragma once

// The figures of one test as monitoring systems take them: base units (bytes, seconds, bytes
// per second), one name each, shared by every export so that a dashboard reads the same name
// from Prometheus and from InfluxDB.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_row.h"

struct TestFigure {
    const char* name;  // "download_bytes_per_second"
    const char* help;  // one line for people reading the metrics
    double value;
    bool integer;  // a count, written without a fraction
};

// The figures the test has, in a fixed order; those it did not get as far as are left out.
std::vector<TestFigure> FiguresOfTest(const HistoryRow& row);

// When the test began and ended, in milliseconds since 1970 (the end: the start plus the total
// time, or the start itself when it has none). None when the stamp cannot be read.
std::optional<std::int64_t> TestStartMilliseconds(const HistoryRow& row);
std::optional<std::int64_t> TestEndMilliseconds(const HistoryRow& row);

// A short word for the outcome, for labels and tags: "finished", "cancelled",
// "open_url_failed"; the number for one that is not known.
std::string OutcomeLabel(unsigned outcome);
