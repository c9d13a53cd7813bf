#pragma once

// Which bytes of a file each of several connections still has to fetch. The file is split
// into equal parts at the start; a connection that has fetched its part takes over the upper
// half of the largest part still left, so that none idles while another crawls at the end.
// Offsets are 64-bit: files above 4 GiB split like any other.
#include <cstddef>
#include <cstdint>
#include <vector>

class RangeBook {
public:
    // [next, end): the bytes this connection still owes, next the one it fetches next.
    struct Range {
        std::uint64_t next = 0;
        std::uint64_t end = 0;
        std::uint64_t left() const { return end - next; }
    };

    // Splits length bytes into at most parts ranges, none empty (a file of 3 bytes gets 3
    // connections at most, an empty file none). minimumTakeover: a range is halved only when
    // each half holds at least this much, since taking it over costs a new request.
    RangeBook(std::uint64_t length, int parts, std::uint64_t minimumTakeover);

    std::size_t size() const { return ranges_.size(); }
    const Range& operator[](std::size_t index) const { return ranges_[index]; }

    // How many of the next bytes that arrive for this connection belong to its range: the
    // rest came after a takeover shortened it and is not written.
    std::uint64_t accept(std::size_t index, std::uint64_t arrived) const {
        const Range& range = ranges_[index];
        return arrived < range.left() ? arrived : range.left();
    }
    void advance(std::size_t index, std::uint64_t bytes) { ranges_[index].next += bytes; }
    bool done(std::size_t index) const { return ranges_[index].next >= ranges_[index].end; }

    // Gives the finished connection index the upper half of the largest range left; false
    // when none is worth halving.
    bool takeOver(std::size_t index);

private:
    std::vector<Range> ranges_;
    std::uint64_t minimumTakeover_;
};
