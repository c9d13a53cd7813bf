#pragma once

// One test as a point of InfluxDB's line protocol: measurement corvanite, tags url (its password
// masked, as the history keeps it) and outcome, a field for every figure of the test
// (monitoring/result_figures.h; counts as integers) and the outcome's number, stamped with the
// test's start in nanoseconds.
#include <string>

#include "history/history_row.h"

// The line, ending in a line feed; empty when the test's start cannot be read.
std::string FormatInfluxLine(const HistoryRow& row);
