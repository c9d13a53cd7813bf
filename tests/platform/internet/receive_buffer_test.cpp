// The bytes between libcurl and the reader: kept in order whatever the sizes put in and taken.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/internet/receive_buffer.h"
#include "tests/support/test_files.h"

namespace {

struct FlowCase {
    const char* name;
    std::size_t capacity;
    std::vector<std::size_t> appends;  // each followed by a take of takeSize, if any is held
    std::size_t takeSize;
};

void PrintTo(const FlowCase& c, std::ostream* out) {
    *out << c.name;
}

class ReceiveBufferFlow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(ReceiveBufferFlow, GivesEveryByteOnceInOrder) {
    const FlowCase& c = GetParam();
    ReceiveBuffer buffer(c.capacity);
    std::uint64_t in = 0;
    std::string out;
    std::vector<char> piece(c.takeSize);
    for (const std::size_t size : c.appends) {
        const std::string chunk = testsupport::patternBytes(size, in);
        buffer.append(chunk.data(), chunk.size());
        in += size;
        const std::size_t got = buffer.take(piece.data(), piece.size());
        out.append(piece.data(), got);
    }
    while (buffer.held() > 0) {
        const std::size_t got = buffer.take(piece.data(), piece.size());
        ASSERT_GT(got, 0u);
        out.append(piece.data(), got);
    }
    ASSERT_EQ(out.size(), in);
    EXPECT_TRUE(testsupport::matchesPattern(out.data(), out.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Flows, ReceiveBufferFlow,
    ::testing::Values(FlowCase{"emptied_between_chunks", 64, {16, 16, 16, 16}, 64},
                      FlowCase{"kept_bytes_moved_to_the_front", 64, {40, 40, 40, 40}, 30},
                      FlowCase{"grows_for_a_chunk_larger_than_itself", 64, {10, 200, 10}, 7},
                      FlowCase{"grows_behind_bytes_still_held", 64, {60, 60, 60, 60}, 5},
                      FlowCase{"single_bytes", 8, {1, 3, 1, 8, 2}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReceiveBuffer, TakesNothingWhenEmpty) {
    ReceiveBuffer buffer(16);
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(buffer.take(out, sizeof out), 0u);
    buffer.append("ab", 2);
    buffer.clear();
    EXPECT_EQ(buffer.held(), 0u);
    EXPECT_EQ(buffer.take(out, sizeof out), 0u);
    EXPECT_EQ(out[0], 'x');
}

}  // namespace
