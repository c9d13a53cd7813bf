#include "platform/internet/receive_buffer.h"

#include <algorithm>

void ReceiveBuffer::makeRoom(std::size_t size) {
    const std::size_t kept = held();
    if (kept + size <= capacity_) {
        std::memmove(data_.get(), data_.get() + head_, kept);
    } else {
        // More than the transfer was sized for: grow, so that no byte is ever refused.
        const std::size_t capacity = std::max(capacity_ * 2, kept + size);
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        std::memcpy(larger.get(), data_.get() + head_, kept);
        data_ = std::move(larger);
        capacity_ = capacity;
    }
    head_ = 0;
    tail_ = kept;
}
