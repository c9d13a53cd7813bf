// Long runs in one process: many tests one after the other, and many tests stopped at random
// moments. Descriptors, threads and memory stay flat, and every run ends with exactly one
// finished notification carrying a known outcome.
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/running_workers.h"
#include "bandwidth/worker.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";

// Sanitizers keep freed memory aside on purpose: resident memory says nothing then.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryIsMeaningful = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif
#else
constexpr bool kMemoryIsMeaningful = true;
#endif
// What the allocator may keep for itself over a long run; a leak of one object per run
// (a session, a connection, a buffer of 1 KiB or more) exceeds it.
constexpr long kMemoryAllowanceKiB = 8 * 1024;

struct Footprint {
    int descriptors;
    int threads;
    long residentKiB;
};

Footprint Measure() {
    return {OpenDescriptorCount(), ThreadCount(), ResidentKiB()};
}

void ExpectFlat(const Footprint& before, const Footprint& after, const char* what) {
    std::printf("%s: descriptors %d -> %d, threads %d -> %d, resident %ld KiB -> %ld KiB\n", what,
                before.descriptors, after.descriptors, before.threads, after.threads,
                before.residentKiB, after.residentKiB);
    EXPECT_EQ(after.descriptors, before.descriptors);
    EXPECT_EQ(after.threads, before.threads);
    if (kMemoryIsMeaningful) {
        EXPECT_LT(after.residentKiB - before.residentKiB, kMemoryAllowanceKiB);
    }
}

class LongRuns : public ::testing::Test {
protected:
    void SetUp() override {
        writePatternFile(served.file("small.bin"), 20000);
        writePatternFile(served.file("large.bin"), 400000);
        nginx = std::make_unique<NginxServer>(served.path());
    }

    TempDir served;
    TempDir program;
    std::unique_ptr<NginxServer> nginx;
};

TEST_F(LongRuns, TwoHundredTestsInARowLeaveNothingBehind) {
    const std::string url = nginx->url("/small.bin");
    // The first runs set up what stays for the process's life (libcurl, the resolver, TLS).
    for (int i = 0; i < 10; ++i) {
        ExpectOneFinished(RunOneTest(url, program.path()), OutcomeFinished);
    }
    const Footprint before = Measure();
    for (int i = 0; i < 200; ++i) {
        const FaultRun run = RunOneTest(url, program.path());
        ExpectOneFinished(run, OutcomeFinished);
        if (HasFailure()) {
            FAIL() << "run " << i;
        }
    }
    ASSERT_TRUE(WaitForTestWorkers(std::chrono::seconds(30)));
    ExpectFlat(before, Measure(), "200 tests");
    int blocks = 0;
    EXPECT_TRUE(IsWholeReportBlocks(readFile(program.file(kReport)), &blocks));
    EXPECT_EQ(blocks, 210);
}

TEST_F(LongRuns, FiveHundredTestsStoppedAtRandomMomentsEachEndOnce) {
    const std::string url = nginx->url("/large.bin");
    for (int i = 0; i < 10; ++i) {
        ExpectOneFinished(RunOneTest(url, program.path()), OutcomeFinished);
    }
    // How long one test takes here: the stops fall within it.
    const auto start = std::chrono::steady_clock::now();
    ExpectOneFinished(RunOneTest(url, program.path()), OutcomeFinished);
    const auto oneRun = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();

    std::mt19937 random(1208);
    std::uniform_int_distribution<long> moment(0, oneRun);
    int stopped = 0;
    int finished = 0;
    const Footprint before = Measure();
    for (int i = 0; i < 500; ++i) {
        QueueTarget window;
        TestRequest request{window.window(), url, program.path()};
        CancelRequest = 0;
        unsigned returned = 0;
        std::thread worker([&] { returned = TestWorker(&request); });
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        CancelRequest = i % 2 == 0 ? 2 : 1;
        const auto last = window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::seconds(60));
        worker.join();
        CancelRequest = 0;

        ASSERT_TRUE(last.has_value()) << "run " << i;
        FaultRun run{returned, window.all()};
        // A stop asked for after the last poll comes too late: the test finishes.
        const unsigned asked = i % 2 == 0 ? OutcomeCancelled : OutcomeExitRequested;
        ASSERT_TRUE(returned == OutcomeFinished || returned == asked) << returned;
        ExpectOneFinished(run, returned);
        stopped += returned == asked ? 1 : 0;
        finished += returned == OutcomeFinished ? 1 : 0;
    }
    ASSERT_TRUE(WaitForTestWorkers(std::chrono::seconds(30)));
    ExpectFlat(before, Measure(), "500 stopped tests");
    std::printf("500 stopped tests: %d stopped, %d finished first\n", stopped, finished);
    EXPECT_GT(stopped, 0);
    int blocks = 0;
    EXPECT_TRUE(IsWholeReportBlocks(readFile(program.file(kReport)), &blocks));
    EXPECT_EQ(blocks, 11 + finished);
}

}  // namespace
