// The whole of corvanite-cli, progress bar included: one test of a large file from a local
// nginx, with standard error on a pseudo-terminal so that the bar is drawn as a user would see
// it, against `curl -s -o FILE URL` on the same URL, interleaved in one invocation, each run
// from a fresh state (earlier downloads flushed and dropped from the page cache; the served
// file cached). The verdict is the ratio of the medians against the limit of 1.0.
//
//   cli_bench [--runs 7] [--mib 1024] [--quick]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bench/common/bench_options.h"
#include "bench/common/child_run.h"
#include "bench/common/curl_reference.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/served_file.h"
#include "bench/common/summary.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kLimit = 1.0;

struct Terminal {
    int master = -1;
    std::string slave;
};

Terminal OpenTerminal() {
    Terminal terminal;
    terminal.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal.master < 0 || ::grantpt(terminal.master) != 0 ||
        ::unlockpt(terminal.master) != 0) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        std::exit(2);
    }
    terminal.slave = ::ptsname(terminal.master);
    return terminal;
}

// Runs argv with standard output to /dev/null and standard error to errPath (a terminal or a
// file); a run that fails ends the benchmark.
ChildRun Run(const std::vector<std::string>& argv, const std::string& errPath) {
    const ChildRun run = RunChild(argv, {"/dev/null", errPath, true});
    if (!run.ok) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(2);
    }
    return run;
}

struct CliRun {
    ChildRun timing;
    std::size_t redraws;
    std::size_t terminalBytes;
};

CliRun RunCliOnTerminal(const std::string& program, const std::string& url) {
    const Terminal terminal = OpenTerminal();
    std::string drawn;
    // Drains the terminal as a terminal emulator would, so the program never waits on it.
    std::thread reader([&] {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(terminal.master, buffer, sizeof buffer);
            if (n <= 0) {
                break;  // EIO once the program and its terminal are gone
            }
            drawn.append(buffer, static_cast<std::size_t>(n));
        }
    });
    const ChildRun timing = Run({program, url}, terminal.slave);
    // The slave side closed with the program; the reader ends on EIO.
    reader.join();
    ::close(terminal.master);
    // The terminal turns each line end into CR LF; a redraw is a CR of the program's own.
    std::size_t redraws = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        redraws += drawn[i] == '\r' && (i + 1 == drawn.size() || drawn[i + 1] != '\n');
    }
    return {timing, redraws, drawn.size()};
}

}  // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {7, 1024}, {3, 64});

    testsupport::TempDir program;
    const ServedFile served(options.size);
    const std::string& url = served.url();
    const std::string cli = program.file("corvanite-cli");
    std::filesystem::copy_file(CORVANITE_CLI_PROGRAM, cli);
    const std::string download = program.file("big.bin");
    const std::string curlFile = program.file("curl.bin");
    std::printf("corvanite-cli on %llu MiB over loopback, progress on a terminal, %d rounds\n",
                static_cast<unsigned long long>(options.size), options.runs);

    std::vector<double> cliTimes, curlTimes, cliCpu, curlCpu;
    long peakKiB = 0;
    CliRun mine{};
    ChildRun curl{};
    RunInterleaved(
        options.runs, [&] { mine = RunCliOnTerminal(cli, url); },
        [&] { curl = RunCurlOrExit(url, curlFile); },
        [&](int round) {
            cliTimes.push_back(mine.timing.seconds);
            curlTimes.push_back(curl.seconds);
            cliCpu.push_back(mine.timing.cpuSeconds);
            curlCpu.push_back(curl.cpuSeconds);
            peakKiB = std::max(peakKiB, mine.timing.peakKiB);
            std::printf(
                "run %d: corvanite-cli %.3f s (cpu %.3f s; %zu redraws, %.1f a second, %zu bytes "
                "to the terminal), curl %.3f s (cpu %.3f s), ratio %.3f\n",
                round, mine.timing.seconds, mine.timing.cpuSeconds, mine.redraws,
                mine.redraws / mine.timing.seconds, mine.terminalBytes, curl.seconds,
                curl.cpuSeconds, mine.timing.seconds / curl.seconds);
        },
        [&] {
            ResetWrittenFiles({download, curlFile});
        });
    ResetWrittenFiles({download, curlFile});

    PrintSpread("corvanite-cli", cliTimes, "s");
    PrintSpread("curl -s -o FILE", curlTimes, "s");
    PrintSpread("corvanite-cli, cpu", cliCpu, "s");
    PrintSpread("curl -s -o FILE, cpu", curlCpu, "s");
    Summary summary = CompareMedians("cli", cliTimes, curlTimes, kLimit);
    summary.peakMiB = peakKiB / 1024.0;
    PrintSummary(summary);
    return summary.ok ? 0 : 1;
}
