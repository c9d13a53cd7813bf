#include "bench/common/summary.h"

#include <cstdio>

#include "bench/common/stats.h"

void PrintSpread(const std::string& label, const std::vector<double>& values,
                 const std::string& unit) {
    const RunSummary s = Summarise(values);
    std::printf("%s: min %.3f %s, median %.3f %s, max %.3f %s (%zu runs)\n", label.c_str(), s.min,
                unit.c_str(), s.median, unit.c_str(), s.max, unit.c_str(), values.size());
}

std::string Figure(double value, const char* unit, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
    return text;
}

std::string SummaryLine(const Summary& summary) {
    // Blanks would split a value in two for the table's reader.
    const auto value = [](std::string text) {
        for (char& c : text) {
            if (c == ' ' || c == '\t' || c == '\n') {
                c = '_';
            }
        }
        return text.empty() ? "-" : text;
    };
    return "SUMMARY name=" + value(summary.name) + " ours=" + value(summary.ours) +
           " reference=" + value(summary.reference) +
           " ratio=" + (summary.ratio ? Figure(*summary.ratio, "") : "-") +
           " limit=" + value(summary.limit) + " verdict=" + (summary.ok ? "ok" : "FAIL") +
           " peak_mib=" + (summary.peakMiB ? Figure(*summary.peakMiB, "", 1) : "-");
}

void PrintSummary(const Summary& summary) {
    std::printf("%s\n", SummaryLine(summary).c_str());
    std::fflush(stdout);
}

Summary WithinLimit(const std::string& name, const std::string& ours, const std::string& limit,
                    bool ok, std::optional<double> peakMiB) {
    Summary summary;
    summary.name = name;
    summary.ours = ours;
    summary.limit = limit;
    summary.ok = ok;
    summary.peakMiB = peakMiB;
    return summary;
}

Summary CompareMedians(const std::string& name, const std::vector<double>& ours,
                       const std::vector<double>& reference, double limit) {
    Summary summary;
    summary.name = name;
    const double mine = Median(ours);
    const double theirs = Median(reference);
    summary.ours = Figure(mine, "s");
    summary.reference = Figure(theirs, "s");
    if (theirs > 0) {
        summary.ratio = mine / theirs;
    }
    summary.limit = Figure(limit, "", 2);
    summary.ok = summary.ratio && *summary.ratio <= limit;
    std::printf("%s: ratio of the medians %.3f (limit %.2f): %s\n", name.c_str(),
                summary.ratio.value_or(0), limit, summary.ok ? "ok" : "FAIL");
    return summary;
}
