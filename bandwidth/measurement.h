#pragma once

// What one test measured, on the monotonic clock, and the figures made of it. The dialog,
// corvanite-cli and the history all take their figures from here, so that one test shows the
// same numbers everywhere.
//
// The rate is the bytes received over the total time: from the moment the worker asked to
// open the URL to the moment its last read returned. Every byte counted arrived inside that
// interval, so nothing is counted at zero time: not the first chunk that comes with the HTTP
// headers, nor what the FTP data connection holds while the size probe runs.
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Where the time of the first connection went, in seconds, as the transfer library timed it:
// finding the server's address, connecting, the TLS handshake (none without TLS) and waiting
// for the first byte once the request was out. Each none when not reached.
struct ConnectionPhases {
    std::optional<double> nameLookup;
    std::optional<double> connect;
    std::optional<double> tls;
    std::optional<double> waiting;
};

// What one of several connections fetched: its bytes over the time from its first byte to its
// last.
struct ConnectionFigures {
    std::uint64_t bytes = 0;
    double seconds = 0;
};

struct TestMeasurement {
    // Bytes received and written to the destination file.
    std::uint64_t bytes = 0;
    // Both from the moment the worker asked to open the URL. firstByte: the first read that
    // returned data; none when none did. lastRead: the last read that returned (for a finished
    // test the one that found the end of the data); none when no read was made.
    std::optional<std::chrono::nanoseconds> firstByte;
    std::optional<std::chrono::nanoseconds> lastRead;
    // Connections asked for, and used: fewer for a small file, 1 for a server that serves no
    // ranges (rangesRefused tells so).
    int connectionsRequested = 1;
    int connectionsUsed = 1;
    bool rangesRefused = false;
    // With several connections: what each fetched.
    std::vector<ConnectionFigures> connections;
    // The bytes that arrived in each 100 ms from asking to open the URL (RateSampler).
    std::vector<std::uint32_t> samples;
    ConnectionPhases phases;
};

// In seconds. Time to first byte; transfer time (first byte to last read); total time (asking
// to open the URL to the last read). Each none when a reading it needs is missing.
std::optional<double> TimeToFirstByteSeconds(const TestMeasurement& measurement);
std::optional<double> TransferSeconds(const TestMeasurement& measurement);
std::optional<double> TotalSeconds(const TestMeasurement& measurement);

// The rate in megabits (10^6 bits) per second: bytes * 8 / 10^6 over the total time; none
// without a positive total time. Megabytes (10^6 bytes) per second are this over 8.
std::optional<double> RateMegabitsPerSecond(const TestMeasurement& measurement);

// The steady rate, without the ramp-up: the rate over the 100 ms samples that begin once a
// quarter of the transfer time (first byte to last read) has passed, up to the last read.
// Opening connections and slow start fall in that first quarter; a stall later on counts,
// since it is what the connection does. None when less than 0.3 s of samples remain.
std::optional<double> SteadyRateMegabitsPerSecond(const TestMeasurement& measurement);
