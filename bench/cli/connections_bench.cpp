// corvanite-cli on several connections, each verdict against a reference measured in the same
// invocation, interleaved, each run from a fresh state:
//   connections_capped: --connections=4 against --connections=1 from a loopback server that
//     caps each connection's rate, as ISPs do per flow; four connections must be at least 3.5
//     times as fast (the ratio of the median times at most 1/3.5);
//   connections_aria2: --connections=4 against `aria2c -x4 -s4` saving the same file from a
//     local nginx (ratio of the medians at most 1.0), with the peak memory of 8 connections
//     on that file against 64 MiB.
// (--connections=1 against `curl -o FILE` is cli_bench's verdict.)
//
//   connections_bench [--runs 5] [--mib 1024] [--quick]
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
#include "bench/common/served_file.h"
#include "bench/common/summary.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kCappedSpeedUp = 3.5;
constexpr double kAria2Limit = 1.0;
constexpr double kMemoryLimitMiB = 64;
// Per connection on the capped server: slow enough that the cap, not the machine, sets the
// pace of one connection.
constexpr int kCapBytesPerSecond = 4 * 1000 * 1000;

ChildRun RunOrExit(const std::vector<std::string>& argv) {
    const ChildRun run = RunChild(argv);
    if (!run.ok) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(2);
    }
    return run;
}

Summary Capped(const std::string& cli, const std::string& folder, int runs, std::uint64_t mib) {
    testsupport::ScriptedHttpServer http;
    const std::string url = http.url("/ranges/capped.bin?size=" + std::to_string(mib << 20) +
                                     "&rate=" + std::to_string(kCapBytesPerSecond));
    std::vector<double> four, one;
    RunInterleaved(
        runs,
        [&] {
            four.push_back(RunOrExit({cli, "-q", "--connections=4", url}).seconds);
        },
        [&] {
            one.push_back(RunOrExit({cli, "-q", "--connections=1", url}).seconds);
        },
        [&](int round) {
            std::printf("capped run %d: 4 connections %.3f s, 1 connection %.3f s, %.2fx\n", round,
                        four.back(), one.back(), one.back() / four.back());
        },
        [&] { ResetWrittenFiles({folder + "/" + url.substr(url.rfind('/') + 1)}); });
    PrintSpread("4 connections, capped", four, "s");
    PrintSpread("1 connection, capped", one, "s");
    return CompareMedians("connections_capped", four, one, 1 / kCappedSpeedUp);
}

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {5, 1024}, {3, 64});

    testsupport::TempDir program;
    const std::string cli = program.file("corvanite-cli");
    std::filesystem::copy_file(CORVANITE_CLI_PROGRAM, cli);

    const std::uint64_t cappedMiB = options.quick ? 8 : 32;
    std::printf(
        "corvanite-cli --connections=4 against --connections=1, %llu MiB at %d bytes/s "
        "a connection, %d rounds\n",
        static_cast<unsigned long long>(cappedMiB), kCapBytesPerSecond, options.runs);
    const Summary capped = Capped(cli, program.path(), options.runs, cappedMiB);

    const ServedFile served(options.size);
    const std::string& url = served.url();
    const std::string download = program.file("big.bin");
    const std::string aria2File = program.file("aria2.bin");
    std::printf(
        "corvanite-cli --connections=4 against aria2c -x4 -s4 on %llu MiB over loopback, "
        "%d rounds\n",
        static_cast<unsigned long long>(options.size), options.runs);
    std::vector<double> ours, aria2;
    long peakKiB = 0;
    RunInterleaved(
        options.runs,
        [&] {
            const ChildRun run = RunOrExit({cli, "-q", "--connections=4", url});
            ours.push_back(run.seconds);
            peakKiB = std::max(peakKiB, run.peakKiB);
        },
        [&] {
            aria2.push_back(RunOrExit({"aria2c", "-q", "-x4", "-s4", "--allow-overwrite=true", "-d",
                                       program.path(), "-o", "aria2.bin", url})
                                .seconds);
        },
        [&](int round) {
            std::printf("run %d: corvanite-cli %.3f s, aria2c %.3f s, ratio %.3f\n", round,
                        ours.back(), aria2.back(), ours.back() / aria2.back());
        },
        [&] {
            ResetWrittenFiles({download, aria2File});
        });
    ResetWrittenFiles({download, aria2File});
    const ChildRun eight = RunOrExit({cli, "-q", "--connections=8", url});
    ResetWrittenFiles({download});
    PrintSpread("corvanite-cli --connections=4", ours, "s");
    PrintSpread("aria2c -x4 -s4", aria2, "s");

    PrintSummary(capped);
    Summary versusAria2 = CompareMedians("connections_aria2", ours, aria2, kAria2Limit);
    versusAria2.peakMiB = peakKiB / 1024.0;
    PrintSummary(versusAria2);
    const double eightMiB = eight.peakKiB / 1024.0;
    const Summary memory =
        WithinLimit("connections_memory", Figure(eightMiB, "MiB", 1),
                    Figure(kMemoryLimitMiB, "MiB", 0), eightMiB <= kMemoryLimitMiB, eightMiB);
    PrintSummary(memory);
    return capped.ok && versusAria2.ok && memory.ok ? 0 : 1;
}
