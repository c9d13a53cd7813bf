// Memory stays flat whatever the size of the file: whole test worker runs on a sparse file of
// N MiB and on one of ten times that, served by a local nginx, each run in a child process of
// its own, interleaved. The figure is how much higher the larger file's peak resident size
// (wait4's ru_maxrss) is than the smaller's, medians over the runs.
//
//   worker_memory_bench [--runs 7] [--mib 1024] [--quick]      (1 GiB against 10 GiB)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bandwidth/worker_run.h"
#include "bench/common/bench_options.h"
#include "bench/common/child_run.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

constexpr double kGrowthLimitMiB = 2;

double PeakMiB(const std::string& url, const std::string& directory) {
    const ChildRun run = RunChild({SelfPath(), "--child", url, directory});
    if (!run.ok) {
        std::fprintf(stderr, "the worker's run on %s failed\n", url.c_str());
        std::exit(2);
    }
    return run.peakKiB / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
        RunWorker(argv[2], argv[3]);
        return 0;
    }
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {3, 64});
    const std::uint64_t small = options.size << 20;
    const std::uint64_t large = small * 10;

    testsupport::TempDir served;
    testsupport::TempDir program;
    testsupport::makeSparseFile(served.file("small.bin"), small);
    testsupport::makeSparseFile(served.file("large.bin"), large);
    testsupport::NginxServer nginx(served.path());
    std::printf("worker on %llu MiB and %llu MiB sparse files, each run a child, %d rounds\n",
                static_cast<unsigned long long>(small >> 20),
                static_cast<unsigned long long>(large >> 20), options.runs);

    std::vector<double> smallPeaks, largePeaks;
    RunInterleaved(
        options.runs,
        [&] { smallPeaks.push_back(PeakMiB(nginx.url("/small.bin"), program.path())); },
        [&] { largePeaks.push_back(PeakMiB(nginx.url("/large.bin"), program.path())); },
        [&](int round) {
            std::printf("run %d: peak %.2f MiB on the small file, %.2f MiB on the large one\n",
                        round, smallPeaks.back(), largePeaks.back());
        },
        // Only memory is measured here: the downloads are removed without waiting for their
        // pages to reach the disk, and the served zeros leave the page cache.
        [&] {
            ::unlink(program.file("small.bin").c_str());
            ::unlink(program.file("large.bin").c_str());
            ::sync();
            DropCachedPages(served.file("small.bin"));
            DropCachedPages(served.file("large.bin"));
        });
    ::unlink(program.file("small.bin").c_str());
    ::unlink(program.file("large.bin").c_str());
    DropCachedPages(served.file("small.bin"));
    DropCachedPages(served.file("large.bin"));

    PrintSpread("peak on the small file", smallPeaks, "MiB");
    PrintSpread("peak on the large file", largePeaks, "MiB");
    const double growth = Median(largePeaks) - Median(smallPeaks);
    const Summary summary = WithinLimit("worker_memory_growth", Figure(growth, "MiB", 2),
                                        Figure(kGrowthLimitMiB, "MiB", 0),
                                        growth <= kGrowthLimitMiB, Median(largePeaks));
    std::printf("the larger file's peak is %.2f MiB above the smaller's (limit %.0f MiB): %s\n",
                growth, kGrowthLimitMiB, summary.ok ? "ok" : "FAIL");
    PrintSummary(summary);
    return summary.ok ? 0 : 1;
}
