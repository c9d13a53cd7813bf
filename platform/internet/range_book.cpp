#include "platform/internet/range_book.h"

RangeBook::RangeBook(std::uint64_t length, int parts, std::uint64_t minimumTakeover)
    : minimumTakeover_(minimumTakeover == 0 ? 1 : minimumTakeover) {
    std::uint64_t count = parts < 1 ? 1 : static_cast<std::uint64_t>(parts);
    if (count > length) {
        count = length;
    }
    std::uint64_t start = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        // The first length % count parts are one byte longer.
        const std::uint64_t size = length / count + (i < length % count ? 1 : 0);
        ranges_.push_back({start, start + size});
        start += size;
    }
}

bool RangeBook::takeOver(std::size_t index) {
    std::size_t largest = index;
    std::uint64_t mostLeft = 0;
    for (std::size_t i = 0; i < ranges_.size(); ++i) {
        if (i != index && ranges_[i].left() > mostLeft) {
            mostLeft = ranges_[i].left();
            largest = i;
        }
    }
    if (largest == index || mostLeft / 2 < minimumTakeover_) {
        return false;
    }
    Range& victim = ranges_[largest];
    const std::uint64_t middle = victim.next + mostLeft / 2;
    ranges_[index] = {middle, victim.end};
    victim.end = middle;
    return true;
}
