// Reads one big file from a local nginx through InternetOpenA / InternetOpenUrlA /
// InternetReadFile in 1024-byte reads, and with `curl -s -o /dev/null`, in interleaved runs.
// Each run is a child process, timed from start to exit, whose peak resident size comes from
// wait4. Prints the median time ratio (ours / curl; target <= 1.05) and the reader's peak
// RSS (target < 32 MiB).
//
//   internet_read_bench [--mib 1024] [--runs 5]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/common/child_run.h"
#include "bench/common/curl_reference.h"
#include "bench/common/interleaved.h"
#include "bench/common/stats.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

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
    unsigned long long mib = 1024;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) {
            mib = std::strtoull(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::atoi(argv[i + 1]);
        }
    }
    const unsigned long long size = mib << 20;
    testsupport::TempDir root;
    testsupport::makeSparseFile(root.file("big.bin"), size);
    testsupport::NginxServer nginx(root.path());
    const std::string url = nginx.url("/big.bin");
    const std::vector<std::string> ours{SelfPath(), "--read", url, std::to_string(size)};

    std::printf("reading %llu MiB from %s, %d runs each, interleaved\n", mib, url.c_str(), runs);
    // Once untimed: the first read of the file fills the page cache.
    RunCurl(url, "/dev/null");
    std::vector<double> ourTimes, curlTimes, ratios, cpuRatios;
    long ourPeak = 0, curlPeak = 0;
    ChildRun a, b;
    bool failed = false;
    RunInterleaved(
        runs, [&] { a = RunChild(ours); }, [&] { b = RunCurl(url, "/dev/null"); },
        [&](int round) {
            if (!a.ok || !b.ok) {
                std::fprintf(stderr, "run %d failed (ours %d, curl %d)\n", round, a.ok, b.ok);
                failed = true;
                return;
            }
            ourTimes.push_back(a.seconds);
            curlTimes.push_back(b.seconds);
            ratios.push_back(a.seconds / b.seconds);
            cpuRatios.push_back(a.cpuSeconds / b.cpuSeconds);
            ourPeak = std::max(ourPeak, a.peakKiB);
            curlPeak = std::max(curlPeak, b.peakKiB);
            std::printf(
                "run %d: ours %.3f s (cpu %.3f), curl %.3f s (cpu %.3f), ratio %.3f (cpu %.3f), "
                "our peak RSS %.1f MiB\n",
                round, a.seconds, a.cpuSeconds, b.seconds, b.cpuSeconds, a.seconds / b.seconds,
                a.cpuSeconds / b.cpuSeconds, a.peakKiB / 1024.0);
        });
    if (failed) {
        return 1;
    }
    const double ratio = Median(ratios);
    const double peakMiB = ourPeak / 1024.0;
    std::printf("median: ours %.3f s (%.0f MiB/s), curl %.3f s (%.0f MiB/s)\n", Median(ourTimes),
                mib / Median(ourTimes), Median(curlTimes), mib / Median(curlTimes));
    std::printf("median ratio ours/curl: %.3f (target <= 1.05) %s\n", ratio,
                ratio <= 1.05 ? "met" : "MISSED");
    std::printf("median CPU-time ratio ours/curl: %.3f\n", Median(cpuRatios));
    std::printf("reader peak RSS: %.1f MiB (target < 32 MiB) %s; curl's: %.1f MiB\n", peakMiB,
                peakMiB < 32 ? "met" : "MISSED", curlPeak / 1024.0);
    return 0;
}
