// corvanite-cli --history on a history of 100,000 tests: the table, the CSV and the JSON lines
// printed whole, each timed from the program's start to its exit, interleaved with `cat` of a
// file of the same size (shown for scale; the limit is on the time itself: the worst run
// under a second).
//
//   history_print_bench [--runs 7] [--rows 100000] [--quick]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/bench_options.h"
#include "bench/common/child_run.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "bench/history/history_fill.h"
#include "history/history_store.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kLimitSeconds = 1.0;

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--rows", {7, 100000}, {3, 10000});
    const int runs = options.runs;
    const int rows = static_cast<int>(options.size);

    testsupport::TempDir program;
    const std::string cli = program.file("corvanite-cli");
    std::filesystem::copy_file(CORVANITE_CLI_PROGRAM, cli);
    if (!FillHistory(program.file(HistoryFileName), rows)) {
        std::fprintf(stderr, "cannot fill the history\n");
        return 2;
    }
    // The reference: the same amount of text, only read and written.
    const std::string printed = program.file("printed.txt");
    if (!RunChild({"/bin/sh", "-c", "'" + cli + "' --history > '" + printed + "'"}).ok) {
        std::fprintf(stderr, "corvanite-cli --history failed\n");
        return 2;
    }

    std::vector<Summary> summaries;
    for (const char* format : {"", "--csv", "--json"}) {
        std::vector<std::string> argv{cli, "--history"};
        if (*format != '\0') {
            argv.push_back(format);
        }
        std::vector<double> ours;
        std::vector<double> cat;
        long peak = 0;
        RunInterleaved(
            runs,
            [&] {
                const ChildRun run = RunChild(argv);
                if (!run.ok) {
                    std::fprintf(stderr, "corvanite-cli --history %s failed\n", format);
                    std::exit(2);
                }
                ours.push_back(run.seconds);
                peak = std::max(peak, run.peakKiB);
            },
            [&] {
                cat.push_back(RunChild({"cat", printed}).seconds);
            },
            {}, [] { ResetWrittenFiles({}); });
        const std::string label = std::string("--history ") + format;
        PrintSpread(label, ours, "s");
        PrintSpread("cat of the table", cat, "s");
        const double worst = Summarise(ours).max;
        const std::string kind = *format != '\0' ? std::string(format + 2) : "table";
        const Summary summary =
            WithinLimit("history_print_" + kind, Figure(worst, "s"), Figure(kLimitSeconds, "s", 0),
                        worst < kLimitSeconds, peak / 1024.0);
        std::printf("%s, %d rows: worst %.3f s (limit %.0f s): %s; peak %.1f MiB\n", label.c_str(),
                    rows, worst, kLimitSeconds, summary.ok ? "ok" : "FAIL", peak / 1024.0);
        summaries.push_back(summary);
    }
    bool allOk = true;
    for (const Summary& summary : summaries) {
        PrintSummary(summary);
        allOk = allOk && summary.ok;
    }
    return allOk ? 0 : 1;
}
