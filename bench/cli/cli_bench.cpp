// The overhead of corvanite-cli, progress bar included: one whole test of a large file from a
// local nginx, with standard error on a pseudo-terminal so that the bar is drawn as a user
// would see it, against `curl -s -o FILE URL` on the same URL, interleaved in one invocation.
// The verdict is the median of the per-run ratios against the limit of 1.1.
//
//   build/bench/cli/cli_bench [runs] [megabytes]      (default: 5 runs, 1024 MiB)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bench/common/child_run.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

constexpr double kLimit = 1.1;

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
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::uint64_t megabytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024;

    testsupport::TempDir served;
    testsupport::TempDir program;
    testsupport::writePatternFile(served.file("big.bin"), megabytes << 20);
    testsupport::NginxServer nginx(served.path());
    const std::string url = nginx.url("/big.bin");
    const std::string cli = program.file("corvanite-cli");
    std::filesystem::copy_file(CORVANITE_CLI_PROGRAM, cli);

    std::vector<double> ratios;
    CliRun mine{};
    ChildRun curl{};
    RunInterleaved(
        runs,
        [&] {
            mine = RunCliOnTerminal(cli, url);
            std::filesystem::remove(program.file("big.bin"));
        },
        [&] {
            curl = Run({"curl", "-s", "-o", program.file("curl.bin"), url}, "/dev/null");
            std::filesystem::remove(program.file("curl.bin"));
        },
        [&](int round) {
            const double ratio = mine.timing.seconds / curl.seconds;
            ratios.push_back(ratio);
            std::printf(
                "run %d: corvanite-cli %.3f s (cpu %.3f s; %zu redraws, %.1f a second, %zu bytes "
                "to the terminal), curl %.3f s (cpu %.3f s), ratio %.3f\n",
                round, mine.timing.seconds, mine.timing.cpuSeconds, mine.redraws,
                mine.redraws / mine.timing.seconds, mine.terminalBytes, curl.seconds,
                curl.cpuSeconds, ratio);
        });
    const double ratio = Median(ratios);
    std::printf(
        "%llu MiB over loopback, median ratio corvanite-cli / curl -s -o FILE: %.3f "
        "(limit %.2f): %s\n",
        static_cast<unsigned long long>(megabytes), ratio, kLimit,
        ratio <= kLimit ? "within" : "ABOVE");
    return ratio <= kLimit ? 0 : 1;
}
