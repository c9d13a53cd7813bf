// What the latency probes cost a download: whole test worker runs on a large file from a local
// nginx with the probes and without, interleaved in one invocation, each from a fresh state.
// The download's own time (asking for the URL to the last read: the idle probes come before
// it) with probes against without, and the probes' bytes against the download's.
//
//   latency_bench [--runs 7] [--mib 1024] [--quick]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "bench/bandwidth/bench_window.h"
#include "bench/common/bench_options.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/served_file.h"
#include "bench/common/summary.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kTimeLimit = 1.02;
constexpr double kBytesLimitPercent = 1.0;

TestEnding Download(const std::string& url, const std::string& directory, bool probes) {
    BenchWindow window;
    TestRequest request{window.window(), url, directory};
    request.measureLatency = probes;
    request.ending = std::make_shared<TestEndingSlot>();
    std::thread worker([&] { TestWorker(&request); });
    worker.join();
    const std::optional<TestEnding> ending = request.ending->get();
    if (!ending || ending->outcome != OutcomeFinished || !TotalSeconds(ending->measurement)) {
        std::fprintf(stderr, "the worker did not finish the download\n");
        std::exit(2);
    }
    return *ending;
}

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {5, 256});

    testsupport::TempDir program;
    const ServedFile served(options.size);
    const std::string download = program.file("big.bin");
    std::printf("file %llu MiB, %d interleaved runs\n",
                static_cast<unsigned long long>(options.size), options.runs);

    std::vector<double> withProbes, without;
    double probeShare = 0;
    TestEnding probed, plain;
    RunInterleaved(
        options.runs, [&] { probed = Download(served.url(), program.path(), true); },
        [&] { plain = Download(served.url(), program.path(), false); },
        [&](int round) {
            withProbes.push_back(*TotalSeconds(probed.measurement));
            without.push_back(*TotalSeconds(plain.measurement));
            const double share = 100.0 * static_cast<double>(probed.latency.probeBytes) /
                                 static_cast<double>(probed.measurement.bytes);
            probeShare = std::max(probeShare, share);
            std::printf(
                "run %d: with probes %.3f s (probes %.4f %% of the bytes), without %.3f s\n", round,
                withProbes.back(), share, without.back());
        },
        [&] { ResetWrittenFiles({download}); });
    ResetWrittenFiles({download});

    const Summary speed = CompareMedians("latency_probes", withProbes, without, kTimeLimit);
    const Summary bytes =
        WithinLimit("latency_probe_bytes", Figure(probeShare, "%", 4),
                    Figure(kBytesLimitPercent, "%", 0), probeShare <= kBytesLimitPercent);
    PrintSummary(speed);
    PrintSummary(bytes);
    return speed.ok && bytes.ok ? 0 : 1;
}
