// The 100 ms samples of a test, and the steady rate taken from them.
#include <chrono>
#include <cstdint>
#include <numeric>
#include <optional>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/ending.h"
#include "bandwidth/measurement.h"
#include "bandwidth/request.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"

using namespace std::chrono_literals;

namespace {

TEST(RateSamples, HoldEveryByteInTheIntervalItArrivedIn) {
    testsupport::ScriptedHttpServer http;
    testsupport::TempDir program;
    // Nothing for 300 ms, then 200000 bytes at once and four more pieces 100 ms apart.
    const EndedRun run = RunWorkerForEnding(
        http.url("/paced/p.bin?first=200000&chunk=1000&count=4&delay=100&wait=300"),
        program.path());
    ASSERT_EQ(run.returned, OutcomeFinished);
    const TestMeasurement& m = run.ending->measurement;

    EXPECT_EQ(std::accumulate(m.samples.begin(), m.samples.end(), std::uint64_t{0}), m.bytes);
    // One sample for each 100 ms begun up to the last read.
    EXPECT_EQ(m.samples.size(), static_cast<std::size_t>(*m.lastRead / 100ms) + 1);
    // The server's silence shows as samples of nothing.
    ASSERT_GE(m.samples.size(), 3u);
    EXPECT_EQ(m.samples[0], 0u);
    EXPECT_EQ(m.samples[1], 0u);
}

struct SteadyCase {
    const char* name;
    std::vector<std::uint32_t> samples;
    std::chrono::milliseconds firstByte;
    std::chrono::milliseconds lastRead;
    std::optional<double> steady;  // Mbit/s
};

void PrintTo(const SteadyCase& c, std::ostream* out) {
    *out << c.name;
}

class SteadyRate : public ::testing::TestWithParam<SteadyCase> {};

TEST_P(SteadyRate, LeavesOutTheFirstQuarterOfTheTransfer) {
    const SteadyCase& c = GetParam();
    TestMeasurement m;
    m.samples = c.samples;
    m.firstByte = c.firstByte;
    m.lastRead = c.lastRead;
    m.bytes = std::accumulate(c.samples.begin(), c.samples.end(), std::uint64_t{0});

    const std::optional<double> steady = SteadyRateMegabitsPerSecond(m);

    ASSERT_EQ(steady.has_value(), c.steady.has_value());
    if (steady) {
        EXPECT_NEAR(*steady, *c.steady, 1e-9);
    }
}

// 125000 bytes in 100 ms are 10 Mbit/s.
INSTANTIATE_TEST_SUITE_P(
    Cases, SteadyRate,
    ::testing::Values(
        // A slow start over the first quarter of 0.8 s is left out.
        SteadyCase{"RampLeftOut",
                   {1000, 5000, 125000, 125000, 125000, 125000, 125000, 125000},
                   0ms,
                   800ms,
                   10.0},
        // Connecting (before the first byte) is no part of the transfer.
        SteadyCase{
            "FromTheFirstByte", {0, 0, 0, 0, 125000, 125000, 125000, 125000}, 400ms, 800ms, 10.0},
        // A stall once the transfer runs is what the connection does: it counts.
        // From 200 ms (the first sample after 125 ms) to 500 ms: 250000 bytes in 0.3 s.
        SteadyCase{"StallCounts", {125000, 125000, 125000, 0, 125000}, 0ms, 500ms, 2.0 / 0.3},
        SteadyCase{"TooShortToTell", {125000, 125000, 1000}, 0ms, 250ms, std::nullopt},
        SteadyCase{"NoData", {}, 0ms, 0ms, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
