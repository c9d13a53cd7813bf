// The ranges of several connections must cover the file exactly once, whatever order the
// connections finish in and however often ranges are taken over, above 4 GiB as below.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/internet/range_book.h"

namespace {

constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;

struct BookCase {
    std::uint64_t length;
    int parts;
    std::uint64_t minimumTakeover;
    std::size_t expectedParts;
};

class RangeBookCases : public ::testing::TestWithParam<BookCase> {};

// Connections take turns: each fetches a third of what it has left (all of it when little is
// left), and one that is done takes over. Every byte fetched is noted.
TEST_P(RangeBookCases, EveryByteIsFetchedOnce) {
    const BookCase c = GetParam();
    RangeBook book(c.length, c.parts, c.minimumTakeover);
    ASSERT_EQ(book.size(), c.expectedParts);

    std::vector<std::pair<std::uint64_t, std::uint64_t>> fetched;
    std::vector<bool> idle(book.size(), false);
    for (int round = 0; round < 100000 && std::count(idle.begin(), idle.end(), false) > 0;
         ++round) {
        const std::size_t i = static_cast<std::size_t>(round) % book.size();
        if (idle[i]) {
            continue;
        }
        if (book.done(i)) {
            idle[i] = !book.takeOver(i);
            continue;
        }
        const std::uint64_t left = book[i].left();
        const std::uint64_t step = left > 3 * c.minimumTakeover ? left / 3 : left;
        // A connection's answer may run past a range that was shortened: only its part counts.
        const std::uint64_t taken = book.accept(i, step + 7);
        fetched.emplace_back(book[i].next, book[i].next + taken);
        book.advance(i, taken);
    }
    ASSERT_EQ(std::count(idle.begin(), idle.end(), false), 0);

    std::sort(fetched.begin(), fetched.end());
    std::uint64_t covered = 0;
    for (const auto& [from, to] : fetched) {
        ASSERT_EQ(from, covered) << "a gap or an overlap";
        covered = to;
    }
    EXPECT_EQ(covered, c.length);
}

INSTANTIATE_TEST_SUITE_P(Lengths, RangeBookCases,
                         ::testing::Values(BookCase{0, 4, 1, 0}, BookCase{1, 4, 1, 1},
                                           BookCase{3, 4, 1, 3}, BookCase{1000003, 4, 1000, 4},
                                           BookCase{5 * kGiB + 3, 16, 1 << 20, 16},
                                           BookCase{17 * kGiB + 1, 8, 1, 8}));

TEST(RangeBook, AFinishedConnectionTakesTheUpperHalfOfTheLargestRange) {
    RangeBook book(8 * kGiB, 2, 1);
    book.advance(0, 4 * kGiB);  // the first range is fetched; the second is untouched
    ASSERT_TRUE(book.takeOver(0));
    EXPECT_EQ(book[0].next, 6 * kGiB);
    EXPECT_EQ(book[0].end, 8 * kGiB);
    EXPECT_EQ(book[1].end, 6 * kGiB);
}

TEST(RangeBook, NoTakeoverOfARangeTooSmallToHalve) {
    RangeBook book(4000, 2, 1500);
    book.advance(0, 2000);
    book.advance(1, 1000);  // 1000 left: halves of 500 are below the minimum
    EXPECT_FALSE(book.takeOver(0));
}

}  // namespace
