#pragma once

// The result of one test as corvanite-cli reports it: the outcome with the dialog's status
// text and, for a finished test, the report block and the precise figures that the report's
// whole seconds cannot give.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bandwidth/measurement.h"

#include "bandwidth/latency_figures.h"

struct TestResult {
    std::string url;
    unsigned outcome = 0;
    std::string status;  // the dialog's status text; empty where the dialog shows none
    // When the download began, in UTC as the history has it ("2026-12-08T16:05:09.123Z");
    // none if it never began.
    std::optional<std::string> startUtc;
    // For a finished test only: the worker's measurement (bandwidth/measurement.h).
    std::optional<std::uint64_t> bytes;
    // The total time, from asking for the URL to the last read, on a monotonic clock.
    std::optional<std::chrono::nanoseconds> interval;
    std::optional<std::chrono::nanoseconds> firstByte;  // time to first byte
    std::optional<std::chrono::nanoseconds> transfer;   // first byte to last read
    std::optional<std::string> report;                  // the block appended, with LF line ends
    // The line the dialog shows for the same test (frontend/result_line.h).
    std::optional<std::string> resultLine;
    // Idle and loaded latency (none where not measured) and the line the dialog shows of them.
    LatencyFigures latency;
    std::optional<std::string> latencyLine;
    std::string serverAddress;  // as connected; empty when not known
    // The URL the data came from after redirects, its password masked; empty when not known.
    std::string finalUrl;
    // Why a failed test failed, in words (frontend/failure_cause.h); empty for any other.
    std::string cause;
    int connectionsRequested = 1;
    // For a finished test: the connections that fetched the file, and whether the server
    // serves no ranges (the test then ran on one).
    std::optional<int> connectionsUsed;
    bool rangesRefused = false;
    std::optional<double> steadyMegabitsPerSecond;
    ConnectionPhases phases;
    std::vector<ConnectionFigures> connections;  // with several connections: each one's share
};

// bytes * 8 / 1000000 per second; none without a positive interval. Over the total time, the
// measurement's rate.
std::optional<double> MegabitsPerSecond(std::uint64_t bytes, std::chrono::nanoseconds interval);

// The interval in seconds, rounded to the millisecond: "12.345".
std::string FormatSeconds(std::chrono::nanoseconds interval);

// What a person reads: the status text, then for a finished test the report block, the
// result line and the precise figures with their units spelled out.
std::string FormatTextResult(const TestResult& result);
