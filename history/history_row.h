#pragma once

// One test as the history keeps it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct HistoryRow {
    std::int64_t id = 0;  // given by the history; 0 for a row not yet stored
    // When the test began, in UTC: "2026-12-08T17:05:09.123Z" (whole seconds ".000" for a row
    // imported from the report); empty when the report's stamp could not be read.
    std::string startUtc;
    std::string url;  // with its password masked
    unsigned outcome = 0;
    std::uint64_t bytes = 0;
    // Seconds; none where the test did not get that far (or, imported, where the report has no
    // such figure).
    std::optional<double> firstByteSeconds;
    std::optional<double> transferSeconds;
    std::optional<double> totalSeconds;
    // Megabits (10^6 bits) per second.
    std::optional<double> megabitsPerSecond;
    std::string serverAddress;  // "192.0.2.7:80"; empty when not known
    std::string program;        // which program ran it; empty when not known
    // The URL the data came from after redirects, its password masked; empty when not known.
    std::string finalUrl;
    // Imported from the report: whole-second figures only (the total time is the report's
    // elapsed seconds, the rate made of them).
    bool wholeSeconds = false;
    // Connections asked for and used; none for a test recorded before they were kept.
    std::optional<int> connectionsRequested;
    std::optional<int> connectionsUsed;
    // The rate without the ramp-up (bandwidth/measurement.h), Mbit/s.
    std::optional<double> steadyMegabitsPerSecond;
    // Where the first connection's time went, in seconds; tls none without TLS.
    std::optional<double> nameLookupSeconds;
    std::optional<double> connectSeconds;
    std::optional<double> tlsSeconds;
    // The bytes that arrived in each 100 ms from asking for the URL. Written with the row; a
    // reader gives them for one test at a time (HistoryReader::rateSamples).
    std::vector<std::uint32_t> rateSamples;
    // Latency in seconds, round trips a minute under load and the grade of what the load added
    // ("A+" to "F"); none where not measured.
    std::optional<double> latencyIdleSeconds;
    std::optional<double> latencyIdleSpreadSeconds;
    std::optional<double> latencyLoadedSeconds;
    std::optional<double> latencyLoaded90Seconds;
    std::optional<double> latencyKernelSeconds;
    std::optional<double> responsivenessRpm;
    std::optional<std::string> latencyGrade;
};
