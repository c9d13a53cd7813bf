#pragma once

// What a benchmark prints about its figures: the spread of a series of runs, and at its end
// one machine-readable line per verdict, which bench/run.sh gathers into its table:
//
//   SUMMARY name=internet_read ours=0.512s reference=0.530s ratio=0.966 limit=1.00 verdict=ok
//           peak_mib=11.8
//
// (one line). Values hold no blanks; "-" stands for none (a figure without a reference).
#include <optional>
#include <string>
#include <vector>

// "label: min 0.498 s, median 0.512 s, max 0.601 s" for the values in the given unit.
void PrintSpread(const std::string& label, const std::vector<double>& values,
                 const std::string& unit);

struct Summary {
    std::string name;
    std::string ours;
    std::string reference = "-";
    std::optional<double> ratio;
    std::string limit;
    bool ok = false;
    std::optional<double> peakMiB;
};

// The SUMMARY line of a verdict, without its line end.
std::string SummaryLine(const Summary& summary);
void PrintSummary(const Summary& summary);

// A figure as SUMMARY writes it: "0.512s", "12.3MiB", "0.31%".
std::string Figure(double value, const char* unit, int decimals = 3);

// A figure without a reference, against its limit.
Summary WithinLimit(const std::string& name, const std::string& ours, const std::string& limit,
                    bool ok, std::optional<double> peakMiB = std::nullopt);

// The ratio of the medians of two series of times (seconds), its spread printed, and the
// verdict against a limit on that ratio.
Summary CompareMedians(const std::string& name, const std::vector<double>& ours,
                       const std::vector<double>& reference, double limit);
