#pragma once

// How a test ended, in full: what the finished notification's outcome cannot carry. The worker
// puts it in the request's slot before it posts the finished notification, so the window that
// takes that notification finds it there, and never has to wait for the history.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "bandwidth/latency_figures.h"
#include "bandwidth/measurement.h"

struct TestEnding {
    unsigned outcome = 0;
    // The URL as it was opened: the request's, without blanks around it.
    std::string url;
    // The wall clock when the worker asked to open the URL.
    std::chrono::system_clock::time_point startedAt{};
    TestMeasurement measurement;
    // The server's address as connected ("192.0.2.7:80"); empty when it is not known.
    std::string serverAddress;
    // The URL the data came from after the redirects followed, its password masked; empty
    // when the URL did not open.
    std::string finalUrl;
    // Idle and loaded latency; every figure none when latency was not measured.
    LatencyFigures latency;
    // For outcomes 100, 103, 106 and 107: why, in words (the HTTP status, the transfer library's
    // text, or the file and the system's reason). Empty otherwise.
    std::string cause;
    // The file the test saved its download in; empty when it kept none (a test that does not
    // finish removes what it wrote).
    std::string destinationPath;
    // Where the test's block begins in the report; none when it appended none.
    std::optional<std::uint64_t> reportOffset;
    // Whether the test was added to the history; when not, historyProblem tells the user why
    // and what to do.
    bool recorded = false;
    std::string historyProblem;
};

// Handed over from the worker's thread to the window's; safe from either.
class TestEndingSlot {
public:
    void put(TestEnding ending);
    // The ending put last; none before the worker has put one.
    std::optional<TestEnding> get() const;

private:
    mutable std::mutex lock_;
    std::optional<TestEnding> ending_;
};
