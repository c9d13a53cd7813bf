// corvanite-cli --history on a history of 100,000 tests: the table, the CSV and the JSON lines
// printed whole, each timed from the program's start to its exit, against `cat` of a file of
// the same size in the same invocation.
//
//   build/bench/history/history_print_bench [runs] [rows]      (default: 7 runs, 100000 rows)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/child_run.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "bench/history/history_fill.h"
#include "history/history_store.h"
#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 100000;

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

    bool allOk = true;
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
            });
        const RunSummary summary = Summarise(ours);
        const bool ok = summary.max < 1.0;
        allOk = allOk && ok;
        std::printf(
            "--history %-6s %d rows: median %.3f s, worst %.3f s (limit 1 s) %s; "
            "cat of the table %.3f s; peak %.1f MiB\n",
            format, rows, summary.median, summary.max, ok ? "ok" : "OVER", Median(cat),
            peak / 1024.0);
    }
    return allOk ? 0 : 1;
}
