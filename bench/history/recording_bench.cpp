// What recording a test in the history adds to a test: whole test worker runs of a large file
// from a local nginx, each recorded in a history that already holds 100,000 tests, against the
// time that recording one test takes on that history, interleaved in one invocation.
//
//   build/bench/history/recording_bench [runs] [megabytes]      (default: 7 runs, 1024 MiB)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bandwidth/request.h"
#include "bandwidth/test_ending.h"
#include "bandwidth/worker.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "bench/history/history_fill.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "history/utc_time.h"
#include "tests/common/queue_target.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kHistoryRows = 100000;

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
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const std::uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

    testsupport::TempDir served;
    testsupport::TempDir program;
    testsupport::writePatternFile(served.file("big.bin"), megabytes << 20);
    testsupport::NginxServer nginx(served.path());
    const std::string url = nginx.url("/big.bin");
    if (!FillHistory(program.file(HistoryFileName), kHistoryRows)) {
        std::fprintf(stderr, "cannot fill the history\n");
        return 2;
    }

    std::vector<double> tests;
    std::vector<double> records;
    double test = 0;
    double record = 0;
    RunInterleaved(
        runs,
        [&] {
            test = RunTest(url, program.path());
            std::remove(program.file("big.bin").c_str());
        },
        // Right after a test, with the disk still busy with its download, as in the worker.
        [&] { record = RecordOne(program.path()); },
        [&](int round) {
            tests.push_back(test);
            records.push_back(record);
            std::printf("run %d: test %.3f s (recorded), recording alone %.3f ms\n", round, test,
                        record * 1e3);
        });

    HistoryReader reader;
    reader.open(program.file(HistoryFileName));
    const std::size_t rows = reader.rows(HistoryOrder::NewestFirst).size();
    const double share = Median(records) / Median(tests) * 100;
    std::printf("file %llu MiB, %d interleaved runs, history of %zu tests at the end\n",
                static_cast<unsigned long long>(megabytes), runs, rows);
    std::printf("median test %.3f s (%.0f MiB/s), median recording %.3f ms (worst %.3f ms)\n",
                Median(tests), megabytes / Median(tests), Median(records) * 1e3,
                Summarise(records).max * 1e3);
    std::printf("recording adds %.3f %% to a test (limit 1 %%) %s\n", share,
                share < 1 ? "ok" : "OVER");
    return share < 1 ? 0 : 1;
}
