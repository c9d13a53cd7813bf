#pragma once

// The summary of a series of tests: how many ran and finished, and the least, median and
// greatest rate.
#include <optional>
#include <string>
#include <vector>

struct SeriesSummary {
    unsigned tests = 0;
    unsigned finished = 0;
    // Over the finished tests' rates, in Mbit/s; none when no test finished with a rate.
    std::optional<double> least;
    std::optional<double> median;  // of an even count, the mean of the middle two
    std::optional<double> greatest;
};

// rates: one per test run, none for a test that did not finish (or had no rate).
SeriesSummary SummarizeSeries(const std::vector<std::optional<double>>& rates, unsigned finished);

// "Series: 5 tests, 5 finished.\nRate: least 91.2 Mbit/s, median 94.1 Mbit/s, greatest 95.0
// Mbit/s\n"
std::string FormatSeriesSummary(const SeriesSummary& summary);
// {"summary":{"tests":5,"finished":5,"least_megabits_per_second":91.200,...}}
std::string FormatJsonSeriesSummary(const SeriesSummary& summary);
