#include "frontend/result_line.h"

#include <cmath>
#include <cstdio>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "history/history_row.h"

namespace {

std::string Printf(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// "0:06", "12:34", "1:02:03".
std::string ClockDuration(double seconds) {
    const auto total = static_cast<long long>(std::ceil(seconds));
    char text[48];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    }
    return text;
}

}  // namespace

// A short round trip keeps a decimal: idle latency on a near server is well under 10 ms.
std::string FormatLatencyDuration(double seconds) {
    if (seconds < 0.00995) {
        return Printf("%.1f ms", seconds * 1e3);
    }
    return FormatShortDuration(seconds);
}

ResultFigures FiguresOf(const TestEnding& ending) {
    return {ending.measurement.bytes, TotalSeconds(ending.measurement),
            TimeToFirstByteSeconds(ending.measurement), RateMegabitsPerSecond(ending.measurement)};
}

ResultFigures FiguresOf(const HistoryRow& row) {
    return {row.bytes, row.totalSeconds, row.firstByteSeconds, row.megabitsPerSecond};
}

std::string FormatDecimalSize(std::uint64_t bytes) {
    const auto value = static_cast<double>(bytes);
    if (bytes < 1000) {
        return std::to_string(bytes) + " B";
    }
    if (value < 999950) {
        return Printf("%.1f kB", value / 1e3);
    }
    if (value < 999950000) {
        return Printf("%.1f MB", value / 1e6);
    }
    return Printf("%.2f GB", value / 1e9);
}

std::string FormatRateFigure(double value) {
    return Printf(value < 9.995 ? "%.2f" : "%.1f", value);
}

std::string FormatShortDuration(double seconds) {
    if (seconds < 0.9995) {
        return Printf("%.0f ms", seconds * 1e3);
    }
    return Printf("%.2f s", seconds);
}

std::string FormatResultLine(const ResultFigures& figures) {
    std::string line;
    if (figures.megabitsPerSecond) {
        line = FormatRateFigure(*figures.megabitsPerSecond) + " Mbit/s (" +
               FormatRateFigure(*figures.megabitsPerSecond / 8) + " MB/s): ";
    }
    line += FormatDecimalSize(figures.bytes);
    if (figures.totalSeconds) {
        line += " in " + FormatShortDuration(*figures.totalSeconds);
    }
    if (figures.firstByteSeconds) {
        line += ", first byte after " + FormatShortDuration(*figures.firstByteSeconds);
    }
    return line;
}

std::string FormatResultLine(const TestEnding& ending) {
    if (ending.outcome != OutcomeFinished) {
        return {};
    }
    return FormatResultLine(FiguresOf(ending));
}

std::string FormatLatencyLine(const LatencyFigures& latency) {
    if (!latency.loadedSeconds) {
        return {};
    }
    std::string line = "Latency ";
    if (latency.idleSeconds) {
        line += FormatLatencyDuration(*latency.idleSeconds) + " idle, ";
    }
    line += FormatLatencyDuration(*latency.loadedSeconds) + " loaded";
    if (latency.grade) {
        line += ": grade " + *latency.grade;
    }
    return line;
}

std::string FormatLatencyLine(const TestEnding& ending) {
    if (ending.outcome != OutcomeFinished) {
        return {};
    }
    return FormatLatencyLine(ending.latency);
}

std::string FormatLiveLine(const LiveFigures& figures) {
    std::string line = FormatDecimalSize(figures.bytes);
    if (figures.contentLength) {
        line += " of " + FormatDecimalSize(*figures.contentLength);
    }
    const bool rateKnown = figures.bytesPerSecond && *figures.bytesPerSecond > 0;
    line += ", " +
            (rateKnown ? FormatRateFigure(*figures.bytesPerSecond * 8 / 1e6) : std::string("--")) +
            " Mbit/s";
    if (rateKnown && figures.contentLength && *figures.contentLength > figures.bytes) {
        const double left =
            static_cast<double>(*figures.contentLength - figures.bytes) / *figures.bytesPerSecond;
        if (left < 360000) {
            line += ", " + ClockDuration(left) + " left";
        }
    }
    return line;
}
