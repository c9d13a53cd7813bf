#pragma once

// Helpers of the Internet call tests: a handle closed at scope end, whole reads, last-error
// and last-response look-ups.
#include <cstdint>
#include <string>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace internettest {

class Handle {
public:
    explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset() {
        if (handle_) {
            InternetCloseHandle(handle_);
            handle_ = nullptr;
        }
    }

private:
    HINTERNET handle_;
};

struct ReadOutcome {
    std::string data;
    bool ok = true;           // false: a read failed
    DWORD error = 0;          // the last error of the failed read
    std::uint64_t reads = 0;  // reads that gave data
};

// Reads until a read gives 0 bytes or fails, chunkSize bytes at a time.
inline ReadOutcome readToEnd(HINTERNET file, DWORD chunkSize = 1024) {
    ReadOutcome outcome;
    std::string buffer(chunkSize, '\0');
    for (;;) {
        DWORD got = 0xDEAD;
        if (!InternetReadFile(file, buffer.data(), chunkSize, &got)) {
            outcome.ok = false;
            outcome.error = GetLastError();
            return outcome;
        }
        if (got == 0) {
            return outcome;
        }
        if (got > chunkSize) {
            outcome.ok = false;
            return outcome;
        }
        outcome.data.append(buffer.data(), got);
        ++outcome.reads;
    }
}

inline Handle openSession(DWORD flags = 0) {
    return Handle(
        InternetOpenA("Corvanite", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, flags));
}

inline std::string lastResponse() {
    DWORD code = 0;
    char text[1024] = {};
    DWORD length = sizeof text;
    return InternetGetLastResponseInfoA(&code, text, &length) ? std::string(text, length) : "";
}

inline DWORD handleType(HINTERNET handle) {
    DWORD type = 0;
    DWORD length = sizeof type;
    return InternetQueryOptionA(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &length) ? type : 0;
}

}  // namespace internettest
