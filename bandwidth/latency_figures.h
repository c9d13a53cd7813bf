#pragma once

// What a test's latency samples come to: idle and loaded latency, what the load added, the
// responsiveness in round trips per minute and the grade of what the load added.
#include <cstdint>
#include <optional>
#include <string>

struct LatencySamples;

struct LatencyFigures {
    // Seconds. The idle round trip's median and spread (the greatest less the least); none
    // when no idle probe answered.
    std::optional<double> idleSeconds;
    std::optional<double> idleSpreadSeconds;
    // The loaded round trip's median and 90th percentile; none when no loaded probe answered.
    std::optional<double> loadedSeconds;
    std::optional<double> loaded90Seconds;
    // The loaded connection's own smoothed round trip as the kernel kept it (the median of its
    // readings); none when it could not be read.
    std::optional<double> kernelSeconds;
    // What the load added (loaded less idle, never below zero), the round trips a minute under
    // load, and the grade of what the load added; each none without both medians.
    std::optional<double> addedSeconds;
    std::optional<double> responsivenessRpm;
    std::optional<std::string> grade;
    // What the probes cost: their bytes on the wire.
    std::uint64_t probeBytes = 0;
};

LatencyFigures LatencyFiguresOf(const LatencySamples& samples);

// "A+" to "F" by the latency the load added.
std::string LatencyGrade(double addedSeconds);
