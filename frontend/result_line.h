#pragma once

// The lines a person reads about a test, in decimal units (MB = 10^6 bytes, Mbit/s = 10^6 bits
// per second), made from the same figures wherever they are shown:
//   result line: "94.1 Mbit/s (11.8 MB/s): 100.0 MB in 8.50 s, first byte after 23 ms"
//   latency line: "Latency 12 ms idle, 180 ms loaded: grade D"
//   live line:   "42.0 MB of 100.0 MB, 94.1 Mbit/s, 0:06 left"
#include <cstdint>
#include <optional>
#include <string>

struct HistoryRow;
struct LatencyFigures;
struct TestEnding;

struct ResultFigures {
    std::uint64_t bytes = 0;
    std::optional<double> totalSeconds;
    std::optional<double> firstByteSeconds;
    std::optional<double> megabitsPerSecond;
};

// The figures of a test's ending, and of a history row; the same test gives the same figures.
ResultFigures FiguresOf(const TestEnding& ending);
ResultFigures FiguresOf(const HistoryRow& row);

// The result line. A part whose figure is missing is left out: no rate without a total time,
// no first byte for an empty file.
std::string FormatResultLine(const ResultFigures& figures);
// The result line of a finished test; empty for any other outcome.
std::string FormatResultLine(const TestEnding& ending);

// The latency line, under the result line: idle and loaded latency and the grade of what the
// load added; a part whose figure is missing is left out, and without a loaded figure the line
// is empty.
std::string FormatLatencyLine(const LatencyFigures& latency);
// The latency line of a finished test; empty for any other outcome.
std::string FormatLatencyLine(const TestEnding& ending);

// "999 B", "12.3 kB", "100.0 MB", "1.07 GB".
std::string FormatDecimalSize(std::uint64_t bytes);
// "94.1", "941.5", "9.41": one decimal, two below 10.
std::string FormatRateFigure(double value);
// "23 ms" below a second, else "8.50 s".
std::string FormatShortDuration(double seconds);
// A round trip: as FormatShortDuration, with a decimal below 10 ms ("0.4 ms").
std::string FormatLatencyDuration(double seconds);

struct LiveFigures {
    std::uint64_t bytes = 0;
    std::optional<std::uint64_t> contentLength;  // none when the server could not tell
    std::optional<double> bytesPerSecond;        // the current rate; none while unknown
};

// The live line: received (of the total when known), the current rate ("-- Mbit/s" while
// unknown) and, with a total and a rate, the time left ("0:06 left", "1:02:03 left").
std::string FormatLiveLine(const LiveFigures& figures);
