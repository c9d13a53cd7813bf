// Speed of one complete test worker run on a large file from a local nginx, against
// `curl -s -o FILE URL` on the same URL, interleaved in one invocation, each run from a fresh
// state (earlier downloads flushed and dropped from the page cache; the served file cached).
// Also the peak memory of the process and the delay from the last read to the finished
// notification.
//
//   worker_bench [--runs 7] [--mib 1024] [--quick]
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bandwidth/worker_run.h"
#include "bench/common/bench_options.h"
#include "bench/common/curl_reference.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/peak_memory.h"
#include "bench/common/served_file.h"
#include "bench/common/summary.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kTimeLimit = 1.05;
constexpr double kPeakLimitMiB = 64;
constexpr double kFinishedDelayLimitMs = 10;

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {3, 64});

    testsupport::TempDir program;
    const ServedFile served(options.size);
    const std::string& url = served.url();
    const std::string download = program.file("big.bin");
    const std::string curlFile = program.file("curl.bin");
    const long peakBefore = PeakResidentKiB();
    std::printf("file %llu MiB, %d interleaved runs\n",
                static_cast<unsigned long long>(options.size), options.runs);

    std::vector<double> workerTimes, curlTimes, delays;
    WorkerRun worker{};
    double curl = 0;
    RunInterleaved(
        options.runs, [&] { worker = RunWorker(url, program.path()); },
        [&] { curl = RunCurlOrExit(url, curlFile).seconds; },
        [&](int round) {
            workerTimes.push_back(worker.seconds);
            curlTimes.push_back(curl);
            delays.push_back(worker.finishedDelayMs);
            std::printf("run %d: worker %.3f s, curl %.3f s, ratio %.3f\n", round, worker.seconds,
                        curl, worker.seconds / curl);
        },
        [&] {
            ResetWrittenFiles({download, curlFile});
        });
    ResetWrittenFiles({download, curlFile});

    PrintSpread("worker", workerTimes, "s");
    PrintSpread("curl -s -o FILE", curlTimes, "s");
    PrintSpread("last read to finished notification", delays, "ms");
    const double peakMiB = PeakResidentKiB() / 1024.0;
    std::printf("peak memory %.1f MiB (%.1f MiB before the runs; limit %.0f MiB)\n", peakMiB,
                peakBefore / 1024.0, kPeakLimitMiB);

    Summary speed = CompareMedians("worker", workerTimes, curlTimes, kTimeLimit);
    speed.peakMiB = peakMiB;
    const double worstDelay = *std::max_element(delays.begin(), delays.end());
    const Summary finished =
        WithinLimit("worker_finished_delay", Figure(worstDelay, "ms"),
                    Figure(kFinishedDelayLimitMs, "ms", 0), worstDelay <= kFinishedDelayLimitMs);
    const Summary memory =
        WithinLimit("worker_memory", Figure(peakMiB, "MiB", 1), Figure(kPeakLimitMiB, "MiB", 0),
                    peakMiB < kPeakLimitMiB, peakMiB);
    PrintSummary(speed);
    PrintSummary(finished);
    PrintSummary(memory);
    return speed.ok && finished.ok && memory.ok ? 0 : 1;
}
