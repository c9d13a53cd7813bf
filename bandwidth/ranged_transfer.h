#pragma once

// The test's download on several connections: the file fetched as byte ranges, each written at
// its offset in the destination, timed and sampled as the single connection's download is.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "bandwidth/measurement.h"
#include "platform/internet/wininet_types.h"

class RateSampler;

struct RangedTransferResult {
    enum class Ending { Finished, Failed, WriteFailed, Stopped };
    Ending ending = Ending::Failed;
    std::string cause;   // Failed: why, in words
    int writeError = 0;  // WriteFailed: the system's error number
};

struct RangedTransfer {
    HINTERNET session = nullptr;
    std::string url;
    std::uint64_t length = 0;
    int connections = 2;
    int destination = -1;  // file descriptor, written at offsets
    DWORD flags = 0;
    // Time since the worker asked to open the URL.
    std::function<std::chrono::nanoseconds()> sinceOpenAsked;
    // Bytes so far, after every round of the transfers; false to stop.
    std::function<bool(std::uint64_t bytes)> progress;
    // Optional: a new descriptor of each socket a connection opens, the callee's to close.
    std::function<void(int socket)> socketOpened;
};

// Fills measurement's bytes, first byte, last read and connection figures, and sampler.
RangedTransferResult RunRangedTransfer(const RangedTransfer& transfer, TestMeasurement& measurement,
                                       RateSampler& sampler);
