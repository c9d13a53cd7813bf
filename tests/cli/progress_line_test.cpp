#include "cli/progress_line.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(ProgressLine, LengthsThatTellNothingAreUnknown) {
    EXPECT_FALSE(KnownContentLength(0).has_value());
    EXPECT_FALSE(KnownContentLength(0xFFFFFFFF).has_value());
    EXPECT_EQ(KnownContentLength(1).value(), 1u);
    EXPECT_EQ(KnownContentLength(6000000000).value(), 6000000000u);
}

TEST(ProgressLine, BlocksStandForKilobytesUpToTheLength) {
    EXPECT_EQ(BytesOfBlocks(0, 5000), 0u);
    EXPECT_EQ(BytesOfBlocks(3, 5000), 3072u);
    EXPECT_EQ(BytesOfBlocks(5, 5000), 5000u);
    EXPECT_EQ(BytesOfBlocks(5, std::nullopt), 5120u);
    EXPECT_EQ(BytesOfBlocks(5000000, std::nullopt), 5120000000u);
}

TEST(ProgressLine, APlainLineSpeaksTheResultsDecimalUnits) {
    // 3.21 MB of 20 MB at 652,500 bytes a second: the result would say 5.22 Mbit/s.
    const LiveFigures figures{3210000, 20000000, 652500.0};
    EXPECT_EQ(FormatProgressLine(figures), "16% 3.2 MB of 20.0 MB, 5.22 Mbit/s, 0:26 left");
}

TEST(ProgressLine, WithoutALengthThereIsNoPercentageNorTimeLeft) {
    const LiveFigures figures{2048, std::nullopt, 125000.0};
    EXPECT_EQ(FormatProgressLine(figures), "2.0 kB, 1.00 Mbit/s");
    const LiveFigures noRate{0, std::nullopt, std::nullopt};
    EXPECT_EQ(FormatProgressLine(noRate), "0 B, -- Mbit/s");
}

TEST(ProgressLine, TheBarFillsTheWidthExactly) {
    const LiveFigures state{250, 1000, 100.0};
    for (int width : {1, 5, 20, 40, 79, 200}) {
        EXPECT_EQ(FormatProgressBar(state, width).size(), static_cast<std::size_t>(width)) << width;
    }
    EXPECT_EQ(FormatProgressBar(state, 0).size(), 1u);
}

TEST(ProgressLine, TheBarShowsTheShareDone) {
    const LiveFigures state{250, 1000, 100.0};
    const std::string line = FormatProgressBar(state, 79);
    EXPECT_EQ(line.rfind(" 25% [", 0), 0u) << line;
    const std::string::size_type open = line.find('[');
    const std::string::size_type close = line.find(']');
    const std::string bar = line.substr(open + 1, close - open - 1);
    const auto filled = static_cast<double>(bar.find('-'));
    EXPECT_NEAR(filled / static_cast<double>(bar.size()), 0.25, 0.05) << line;
    EXPECT_NE(line.find("250 B of 1.0 kB, 0.00 Mbit/s, 0:08 left"), std::string::npos) << line;
}

TEST(ProgressLine, ANarrowTerminalLosesTheBarFirst) {
    const LiveFigures state{250, 1000, 100.0};
    const std::string line = FormatProgressBar(state, 40);
    EXPECT_EQ(line.find('['), std::string::npos) << line;
    EXPECT_EQ(line.rfind(" 25% 250 B of 1.0 kB", 0), 0u) << line;
}

TEST(RateMeter, NeedsTwoReadingsFarEnoughApart) {
    RateMeter meter;
    const Clock::time_point start{};
    EXPECT_FALSE(meter.bytesPerSecond().has_value());
    meter.add(start, 0);
    EXPECT_FALSE(meter.bytesPerSecond().has_value());
    meter.add(start + milliseconds(100), 1000);
    EXPECT_FALSE(meter.bytesPerSecond().has_value());
    meter.add(start + milliseconds(500), 5000);
    EXPECT_DOUBLE_EQ(meter.bytesPerSecond().value(), 10000.0);
}

TEST(RateMeter, FollowsTheLastMomentsOnly) {
    RateMeter meter;
    const Clock::time_point start{};
    // Ten seconds at 1000 bytes a second, then two at 100000.
    std::uint64_t bytes = 0;
    for (int tenth = 0; tenth <= 100; ++tenth) {
        meter.add(start + milliseconds(100 * tenth), bytes);
        bytes += 100;
    }
    for (int tenth = 101; tenth <= 120; ++tenth) {
        bytes += 10000;
        meter.add(start + milliseconds(100 * tenth), bytes);
    }
    EXPECT_NEAR(meter.bytesPerSecond().value(), 100000.0, 10000.0);
}

TEST(DrawThrottle, LetsOneDrawThroughPerInterval) {
    DrawThrottle throttle(milliseconds(100));
    const Clock::time_point start{};
    EXPECT_TRUE(throttle.due(start));
    EXPECT_FALSE(throttle.due(start + milliseconds(50)));
    EXPECT_FALSE(throttle.due(start + milliseconds(99)));
    EXPECT_TRUE(throttle.due(start + milliseconds(100)));
    EXPECT_FALSE(throttle.due(start + milliseconds(150)));
    EXPECT_TRUE(throttle.due(start + milliseconds(350)));
}

}  // namespace
