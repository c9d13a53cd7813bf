#include "ui/progress_range.h"

#include <limits>

int ProgressUpperBound(std::uint64_t contentLength) {
    constexpr std::uint64_t most = std::numeric_limits<int>::max();
    const std::uint64_t kilobytes = contentLength >> 10;
    return kilobytes >= most ? static_cast<int>(most) : static_cast<int>(kilobytes + 1);
}

int ProgressPosition(std::uint64_t blocksRead) {
    constexpr std::uint64_t most = std::numeric_limits<int>::max();
    return static_cast<int>(blocksRead > most ? most : blocksRead);
}
