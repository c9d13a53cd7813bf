#include "cli/result.h"

#include <cstdio>

namespace {

std::optional<double> Seconds(std::chrono::nanoseconds interval) {
    if (interval.count() <= 0) {
        return std::nullopt;
    }
    return std::chrono::duration<double>(interval).count();
}

std::string Fixed2(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace

std::optional<double> KibibytesPerSecond(std::uint64_t bytes, std::chrono::nanoseconds interval) {
    const auto seconds = Seconds(interval);
    if (!seconds) {
        return std::nullopt;
    }
    return static_cast<double>(bytes) / 1024.0 / *seconds;
}

std::optional<double> MegabitsPerSecond(std::uint64_t bytes, std::chrono::nanoseconds interval) {
    const auto seconds = Seconds(interval);
    if (!seconds) {
        return std::nullopt;
    }
    return static_cast<double>(bytes) * 8.0 / 1e6 / *seconds;
}

std::string FormatSeconds(std::chrono::nanoseconds interval) {
    // Whole milliseconds first, so that the text never shows a rounding of a rounding.
    const long long milliseconds = (interval.count() + 500000) / 1000000;
    char text[64];
    std::snprintf(text, sizeof text, "%lld.%03lld", milliseconds / 1000, milliseconds % 1000);
    return text;
}

std::string FormatTextResult(const TestResult& result) {
    std::string text;
    if (!result.status.empty()) {
        text += result.status + "\n";
    }
    if (result.report) {
        text += "\n" + *result.report;
    }
    if (result.bytes && result.interval) {
        const auto kibibytes = KibibytesPerSecond(*result.bytes, *result.interval);
        const auto megabits = MegabitsPerSecond(*result.bytes, *result.interval);
        text += "Precise figures:\n";
        text += "  Bytes received:  " + std::to_string(*result.bytes) + " bytes\n";
        text += "  Timed interval:  " + FormatSeconds(*result.interval) +
                " seconds (monotonic clock)\n";
        if (kibibytes && megabits) {
            text += "  Rate:            " + Fixed2(*kibibytes) + " kibibytes per second (KiB/s)\n";
            text += "                   " + Fixed2(*megabits) + " megabits per second (Mbit/s)\n";
        } else {
            text += "  Rate:            not measurable (the interval was too short)\n";
        }
    }
    return text;
}
