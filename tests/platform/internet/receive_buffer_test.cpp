// The bytes between libcurl and the reader: kept in order whatever the sizes put in and taken.
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/internet/receive_buffer.h"
#include "tests/support/test_files.h"

namespace {

TEST(ReceiveBuffer, GivesEveryByteOnceInOrder) {
    const struct {
        const char* name;
        std::size_t capacity;
        std::vector<std::size_t> appends;  // each followed by a take of takeSize, if any is held
        std::size_t takeSize;
    } cases[] = {
        {"emptied between chunks", 64, {16, 16, 16, 16}, 64},
        {"kept bytes moved to the front", 64, {40, 40, 40, 40}, 30},
        {"grows for a chunk larger than itself", 64, {10, 200, 10}, 7},
        {"grows behind bytes still held", 64, {60, 60, 60, 60}, 5},
        {"single bytes", 8, {1, 3, 1, 8, 2}, 1},
    };
    for (const auto& c : cases) {
        ReceiveBuffer buffer(c.capacity);
        std::uint64_t in = 0;
        std::string out;
        std::vector<char> piece(c.takeSize);
        for (const std::size_t size : c.appends) {
            const std::string chunk = testsupport::patternBytes(size, in);
            buffer.append(chunk.data(), chunk.size());
            in += size;
            out.append(piece.data(), buffer.take(piece.data(), piece.size()));
        }
        while (buffer.held() > 0) {
            const std::size_t got = buffer.take(piece.data(), piece.size());
            ASSERT_GT(got, 0u) << c.name;
            out.append(piece.data(), got);
        }
        ASSERT_EQ(out.size(), in) << c.name;
        EXPECT_TRUE(testsupport::matchesPattern(out.data(), out.size())) << c.name;
    }
}

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
