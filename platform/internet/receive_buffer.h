#pragma once

// The bytes a transfer has received and its reader has not taken yet. libcurl appends whole
// chunks while it runs; the reader takes small pieces. The reader only lets libcurl run once
// the buffer is empty, so the data always starts at the front again: the same few hundred
// KiB are reused for the whole transfer and stay in the processor's cache.
#include <cstddef>
#include <cstring>
#include <memory>

class ReceiveBuffer {
public:
    explicit ReceiveBuffer(std::size_t capacity)
        : data_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}

    std::size_t held() const { return tail_ - head_; }
    std::size_t capacity() const { return capacity_; }

    // Keeps size bytes; makes room when they do not fit behind what is held.
    void append(const char* data, std::size_t size) {
        if (size > capacity_ - tail_) {
            makeRoom(size);
        }
        std::memcpy(data_.get() + tail_, data, size);
        tail_ += size;
    }

    // Copies up to size of the bytes held, oldest first; the count copied.
    std::size_t take(void* out, std::size_t size) {
        const std::size_t n = size < held() ? size : held();
        std::memcpy(out, data_.get() + head_, n);
        head_ += n;
        if (head_ == tail_) {
            head_ = tail_ = 0;
        }
        return n;
    }

    void clear() { head_ = tail_ = 0; }

private:
    void makeRoom(std::size_t size);

    std::unique_ptr<char[]> data_;
    std::size_t capacity_;
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
};
