#include "ui/progress_range.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

namespace {

TEST(ProgressRange, KilobytesPlusOne) {
    const struct {
        std::uint64_t length;
        int upper;
    } table[] = {
        {0, 1},
        {1, 1},
        {1023, 1},
        {1024, 2},
        {2047, 2},
        {1048576, 1025},
        {0xFFFFFFFFull, 4194304},
        {0x100000000ull, 4194305},    // lengths beyond 32 bits keep counting
        {1ull << 40, (1 << 30) + 1},  // one tebibyte
        {(std::uint64_t{INT_MAX} - 1) << 10, INT_MAX},
        {std::uint64_t{INT_MAX} << 10, INT_MAX},  // held to what the bar can count
        {UINT64_MAX, INT_MAX},
    };
    for (const auto& row : table) {
        EXPECT_EQ(ProgressUpperBound(row.length), row.upper) << row.length;
    }
}

TEST(ProgressRange, PositionIsTheBlockCountHeldToTheBar) {
    EXPECT_EQ(ProgressPosition(0), 0);
    EXPECT_EQ(ProgressPosition(1025), 1025);
    EXPECT_EQ(ProgressPosition(std::uint64_t{INT_MAX}), INT_MAX);
    EXPECT_EQ(ProgressPosition(std::uint64_t{INT_MAX} + 1), INT_MAX);
}

}  // namespace
