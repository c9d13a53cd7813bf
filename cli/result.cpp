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
    if (result.resultLine) {
        text += *result.resultLine + "\n";
    }
    if (result.bytes && result.interval) {
        const auto megabits = MegabitsPerSecond(*result.bytes, *result.interval);
        text += "Precise figures:\n";
        text += "  Bytes received:  " + std::to_string(*result.bytes) + " bytes\n";
        if (result.firstByte) {
            text += "  First byte:      " + FormatSeconds(*result.firstByte) +
                    " seconds after asking for the URL\n";
        }
        if (result.transfer) {
            text += "  Transfer time:   " + FormatSeconds(*result.transfer) +
                    " seconds from the first byte to the last read\n";
        }
        text += "  Total time:      " + FormatSeconds(*result.interval) +
                " seconds from asking for the URL to the last read (monotonic clock)\n";
        if (megabits) {
            text += "  Rate:            " + Fixed2(*megabits) + " megabits per second (Mbit/s)\n";
            text +=
                "                   " + Fixed2(*megabits / 8) + " megabytes per second (MB/s)\n";
        } else {
            text += "  Rate:            not measurable (the interval was too short)\n";
        }
        if (!result.serverAddress.empty()) {
            text += "  Server:          " + result.serverAddress + "\n";
        }
        if (!result.finalUrl.empty()) {
            text += "  Final URL:       " + result.finalUrl + "\n";
        }
    }
    return text;
}
