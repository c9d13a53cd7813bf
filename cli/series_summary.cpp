#include "cli/series_summary.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Figure(std::optional<double> value, const char* format, const char* none) {
    if (!value) {
        return none;
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *value);
    return text;
}

}  // namespace

SeriesSummary SummarizeSeries(const std::vector<std::optional<double>>& rates, unsigned finished) {
    SeriesSummary summary;
    summary.tests = static_cast<unsigned>(rates.size());
    summary.finished = finished;
    std::vector<double> known;
    for (const auto& rate : rates) {
        if (rate) {
            known.push_back(*rate);
        }
    }
    if (known.empty()) {
        return summary;
    }
    std::sort(known.begin(), known.end());
    summary.least = known.front();
    summary.greatest = known.back();
    const std::size_t middle = known.size() / 2;
    summary.median =
        known.size() % 2 == 1 ? known[middle] : (known[middle - 1] + known[middle]) / 2;
    return summary;
}

std::string FormatSeriesSummary(const SeriesSummary& summary) {
    std::string text = "Series: " + std::to_string(summary.tests) +
                       (summary.tests == 1 ? " test, " : " tests, ") +
                       std::to_string(summary.finished) + " finished.\n";
    if (summary.median) {
        text += "Rate: least " + Figure(summary.least, "%.1f", "") + " Mbit/s, median " +
                Figure(summary.median, "%.1f", "") + " Mbit/s, greatest " +
                Figure(summary.greatest, "%.1f", "") + " Mbit/s\n";
    } else {
        text += "Rate: none, no test finished.\n";
    }
    return text;
}

std::string FormatJsonSeriesSummary(const SeriesSummary& summary) {
    return "{\"summary\":{\"tests\":" + std::to_string(summary.tests) +
           ",\"finished\":" + std::to_string(summary.finished) +
           ",\"least_megabits_per_second\":" + Figure(summary.least, "%.3f", "null") +
           ",\"median_megabits_per_second\":" + Figure(summary.median, "%.3f", "null") +
           ",\"greatest_megabits_per_second\":" + Figure(summary.greatest, "%.3f", "null") + "}}\n";
}
