// Reads one big file from a local nginx through InternetOpenA / InternetOpenUrlA /
// InternetReadFile in 1024-byte reads, and with `curl -s -o /dev/null`, in interleaved runs.
// Each run is a child process, timed from its start to its exit, whose CPU time and peak
// resident size come from wait4. The served file is sparse and stays in the page cache for
// both sides; nothing is written.
//
// Verdicts: the ratios of the medians, ours / curl, of the wall time and of the CPU time, each
// at most 1.0; the reader's peak memory under 32 MiB.
//
//   internet_read_bench [--runs 9] [--mib 1024] [--quick]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/common/bench_options.h"
#include "bench/common/child_run.h"
#include "bench/common/curl_reference.h"
#include "bench/common/fresh_state.h"
#include "bench/common/interleaved.h"
#include "bench/common/summary.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

constexpr double kTimeLimit = 1.0;
constexpr double kPeakLimitMiB = 32;

// Reader mode: the program's way of reading, in a process of its own.
int readUrl(const char* url, unsigned long long expected) {
    HINTERNET session =
        InternetOpenA("Corvanite", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET file = InternetOpenUrlA(
        session, url, nullptr, 0,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY, 1);
    if (!file) {
        std::fprintf(stderr, "open failed: %u\n", GetLastError());
        return 2;
    }
    char buffer[1024];
    unsigned long long total = 0;
    DWORD got = 0;
    while (InternetReadFile(file, buffer, sizeof buffer, &got) && got > 0) {
        total += got;
    }
    InternetCloseHandle(file);
    InternetCloseHandle(session);
    if (total != expected) {
        std::fprintf(stderr, "read %llu bytes of %llu (error %u)\n", total, expected,
                     GetLastError());
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--read") == 0) {
        return readUrl(argv[2], std::strtoull(argv[3], nullptr, 10));
    }
    const BenchOptions options = ParseBenchOptions(argc, argv, "--mib", {9, 1024}, {3, 64});
    const unsigned long long size = options.size << 20;
    testsupport::TempDir root;
    testsupport::makeSparseFile(root.file("big.bin"), size);
    testsupport::NginxServer nginx(root.path());
    const std::string url = nginx.url("/big.bin");
    const std::vector<std::string> ours{SelfPath(), "--read", url, std::to_string(size)};

    std::printf("reading %llu MiB from %s in 1024-byte reads, %d interleaved runs each\n",
                static_cast<unsigned long long>(options.size), url.c_str(), options.runs);
    CacheServedFile(root.file("big.bin"));
    std::vector<double> ourTimes, curlTimes, ourCpu, curlCpu;
    long ourPeak = 0;
    ChildRun a, b;
    bool failed = false;
    RunInterleaved(
        options.runs, [&] { a = RunChild(ours); }, [&] { b = RunCurl(url, "/dev/null"); },
        [&](int round) {
            if (!a.ok || !b.ok) {
                std::fprintf(stderr, "run %d failed (ours %d, curl %d)\n", round, a.ok, b.ok);
                failed = true;
                return;
            }
            ourTimes.push_back(a.seconds);
            curlTimes.push_back(b.seconds);
            ourCpu.push_back(a.cpuSeconds);
            curlCpu.push_back(b.cpuSeconds);
            ourPeak = std::max(ourPeak, a.peakKiB);
            std::printf(
                "run %d: ours %.3f s (cpu %.3f s, peak %.1f MiB), curl %.3f s (cpu %.3f s)\n",
                round, a.seconds, a.cpuSeconds, a.peakKiB / 1024.0, b.seconds, b.cpuSeconds);
        },
        [] { ResetWrittenFiles({}); });
    if (failed) {
        return 2;
    }
    PrintSpread("ours, wall", ourTimes, "s");
    PrintSpread("curl, wall", curlTimes, "s");
    PrintSpread("ours, cpu", ourCpu, "s");
    PrintSpread("curl, cpu", curlCpu, "s");
    const double peakMiB = ourPeak / 1024.0;

    Summary wall = CompareMedians("internet_read", ourTimes, curlTimes, kTimeLimit);
    wall.peakMiB = peakMiB;
    Summary cpu = CompareMedians("internet_read_cpu", ourCpu, curlCpu, kTimeLimit);
    cpu.peakMiB = peakMiB;
    const Summary memory =
        WithinLimit("internet_read_memory", Figure(peakMiB, "MiB", 1),
                    Figure(kPeakLimitMiB, "MiB", 0), peakMiB < kPeakLimitMiB, peakMiB);
    std::printf("reader's peak memory %.1f MiB (limit %.0f MiB): %s\n", peakMiB, kPeakLimitMiB,
                memory.ok ? "ok" : "FAIL");
    PrintSummary(wall);
    PrintSummary(cpu);
    PrintSummary(memory);
    return wall.ok && cpu.ok && memory.ok ? 0 : 1;
}
