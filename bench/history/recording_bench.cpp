// What recording a test in the history adds to a test: whole test worker runs of a large file
// from a local nginx, each recorded in a history that already holds 100,000 tests, against the
// time that recording one test takes on that history, interleaved in one invocation, each run
// from a fresh state (earlier downloads flushed and dropped from the page cache; the served
// file cached). The figure is the median recording as a share of the median test.
//
//   recording_bench [--runs 7] [--mib 1024] [--quick]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "bench/common/bench_options.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/served_file.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "bench/history/history_fill.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "history/utc_time.h"
#include "tests/common/queue_target.h"
#include "tests/support/temp_dir.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kHistoryRows = 100000;
constexpr double kShareLimitPercent = 1;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One whole test as the dialog runs it, recorded in the history of directory.
double RunTest(const std::string& url, const std::string& directory) {
    QueueTarget window;
    TestRequest request;
    request.window = window.window();
    request.url = url;
    request.programDirectory = directory;
    request.programName = "Corvanite";
    request.ending = std::make_shared<TestEndingSlot>();
    unsigned outcome = 0;
    const auto start = Clock::now();
    std::thread worker([&] { outcome = TestWorker(&request); });
    window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::minutes(10));
    worker.join();
    const double elapsed = Seconds(Clock::now() - start);
    const auto ending = request.ending->get();
    if (outcome != 0 || !ending || !ending->recorded) {
        std::fprintf(stderr, "the test ended with %u%s%s\n", outcome, ending ? ", " : "",
                     ending ? ending->historyProblem.c_str() : "");
        std::exit(2);
    }
    return elapsed;
}

// Recording one test's row, as the worker does at the end of a test.
double RecordOne(const std::string& directory) {
    HistoryRow row;
    row.startUtc = UtcTimestamp(std::chrono::system_clock::now());
    row.url = "http://127.0.0.1/big.bin";
    row.bytes = 1u << 30;
    row.firstByteSeconds = 0.001;
    row.transferSeconds = 1.5;
    row.totalSeconds = 1.501;
    row.megabitsPerSecond = 5722.0;
    row.serverAddress = "127.0.0.1:80";
    row.program = "Corvanite";
    const auto start = Clock::now();
    const HistoryWrite written =
        RecordInHistory(directory + "/" + HistoryFileName, row, {directory + "/none.txt", {}});
    const double elapsed = Seconds(Clock::now() - start);
    if (!written.recorded) {
        std::fprintf(stderr, "%s\n", written.problem.c_str());
        std::exit(2);
    }
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    // Recording takes milliseconds: a test shorter than half a gigabyte says little of its share.
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {3, 512});

    testsupport::TempDir program;
    const ServedFile served(options.size);
    const std::string& url = served.url();
    const std::string download = program.file("big.bin");
    if (!FillHistory(program.file(HistoryFileName), kHistoryRows)) {
        std::fprintf(stderr, "cannot fill the history\n");
        return 2;
    }
    std::printf("file %llu MiB, %d interleaved runs\n",
                static_cast<unsigned long long>(options.size), options.runs);

    std::vector<double> tests;
    std::vector<double> records;
    double test = 0;
    double record = 0;
    RunInterleaved(
        options.runs, [&] { test = RunTest(url, program.path()); },
        [&] { record = RecordOne(program.path()); },
        [&](int round) {
            tests.push_back(test);
            records.push_back(record * 1e3);
            std::printf("run %d: test %.3f s (recorded), recording alone %.3f ms\n", round, test,
                        record * 1e3);
        },
        [&] { ResetWrittenFiles({download}); });
    ResetWrittenFiles({download});

    HistoryReader reader;
    reader.open(program.file(HistoryFileName));
    const std::size_t rows = reader.rows(HistoryOrder::NewestFirst).size();
    std::printf("history of %zu tests at the end\n", rows);
    PrintSpread("test", tests, "s");
    PrintSpread("recording alone", records, "ms");
    const double share = Median(records) / 1e3 / Median(tests) * 100;
    const Summary summary =
        WithinLimit("recording", Figure(share, "%"), Figure(kShareLimitPercent, "%", 0),
                    share < kShareLimitPercent, PeakResidentKiB() / 1024.0);
    std::printf("recording adds %.3f %% to a test (limit %.0f %%): %s\n", share, kShareLimitPercent,
                summary.ok ? "ok" : "FAIL");
    PrintSummary(summary);
    return summary.ok ? 0 : 1;
}
