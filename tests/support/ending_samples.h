#pragma once

// A finished test as its worker ends it, and the result line that shows it: the figures of
// FinishedSampleRow (history_samples.h).
#include <chrono>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"

// 100 MB in 8.5 s, the first byte after 23 ms.
inline TestEnding FinishedSampleEnding() {
    TestEnding ending;
    ending.outcome = OutcomeFinished;
    ending.measurement.bytes = 100000000;
    ending.measurement.firstByte = std::chrono::milliseconds(23);
    ending.measurement.lastRead = std::chrono::milliseconds(8500);
    return ending;
}

inline constexpr const char* FinishedSampleLine =
    "94.1 Mbit/s (11.8 MB/s): 100.0 MB in 8.50 s, first byte after 23 ms";
