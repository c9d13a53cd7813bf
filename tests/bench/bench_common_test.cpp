// The benchmarks' shared pieces that bench/run.sh relies on: the command line, the summary
// line it reads back, and the fresh state between runs.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bench/common/bench_options.h"
#include "bench/common/fresh_state.h"
#include "bench/common/stats.h"
#include "bench/common/summary.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

BenchOptions Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "some_bench");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    return ParseBenchOptions(static_cast<int>(argv.size()), argv.data(), "--mib", {9, 1024},
                             {3, 64});
}

TEST(BenchOptions, GiveTheRunsAndSize) {
    const struct {
        std::vector<std::string> args;
        int runs;
        std::uint64_t size;
        bool quick;
    } cases[] = {
        {{}, 9, 1024, false},
        {{"--quick"}, 3, 64, true},
        {{"--runs", "15", "--quick"}, 15, 64, true},
        {{"--mib", "256", "--runs", "7"}, 7, 256, false},
    };
    for (const auto& c : cases) {
        const BenchOptions options = Parse(c.args);
        const std::string line = ::testing::PrintToString(c.args);
        EXPECT_EQ(options.runs, c.runs) << line;
        EXPECT_EQ(options.size, c.size) << line;
        EXPECT_EQ(options.quick, c.quick) << line;
    }
}

TEST(BenchOptionsDeathTest, AnythingElseEndsWithTheUsage) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--rows", "5"}, {"--runs"}, {"--runs", "0"}, {"--mib", "12x"}, {"7"}}) {
        EXPECT_EXIT(Parse(args), ::testing::ExitedWithCode(2), "usage: some_bench") << args.front();
    }
}

TEST(Summary, LineHoldsOneWordPerField) {
    Summary summary = CompareMedians("internet_read", {0.5, 0.4, 0.6}, {0.5, 0.45, 0.55}, 1.0);
    summary.peakMiB = 12.25;
    EXPECT_EQ(SummaryLine(summary),
              "SUMMARY name=internet_read ours=0.500s reference=0.500s ratio=1.000 limit=1.00 "
              "verdict=ok peak_mib=12.2");
    EXPECT_EQ(SummaryLine(WithinLimit("history print", "1.2 s", "1s", false)),
              "SUMMARY name=history_print ours=1.2_s reference=- ratio=- limit=1s verdict=FAIL "
              "peak_mib=-");
}

TEST(Summary, RatioAboveTheLimitFails) {
    EXPECT_FALSE(CompareMedians("cli", {1.02, 1.03}, {1.0, 1.0}, 1.0).ok);
    EXPECT_TRUE(CompareMedians("cli", {1.0}, {1.0}, 1.0).ok);
    EXPECT_FALSE(CompareMedians("cli", {1.0}, {}, 1.0).ok);  // no reference, no verdict
}

TEST(Stats, MedianOfAnEvenCountIsTheMeanOfTheMiddleTwo) {
    EXPECT_EQ(Median({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(Median({}), 0);
    const RunSummary s = Summarise({3, 1, 2});
    EXPECT_EQ(s.min, 1);
    EXPECT_EQ(s.median, 2);
    EXPECT_EQ(s.max, 3);
}

TEST(FreshState, WrittenFilesAreGoneAndMissingOnesSkipped) {
    testsupport::TempDir dir;
    testsupport::writePatternFile(dir.file("a.bin"), 100000);
    testsupport::writePatternFile(dir.file("kept.bin"), 10);
    ResetWrittenFiles({dir.file("a.bin"), dir.file("never-written.bin")});
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.bin")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("kept.bin")));
}

}  // namespace
