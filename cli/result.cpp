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

// In milliseconds to the microsecond: near servers take well under a millisecond a step.
std::string PhaseLine(const char* label, const std::optional<double>& seconds) {
    if (!seconds) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.3f ms", *seconds * 1e3);
    return std::string("  ") + label + text + "\n";
}

std::string PhasesText(const ConnectionPhases& phases) {
    return PhaseLine("Name lookup:     ", phases.nameLookup) +
           PhaseLine("Connecting:      ", phases.connect) +
           PhaseLine("TLS handshake:   ", phases.tls) +
           PhaseLine("Waiting:         ", phases.waiting);
}

std::string ConnectionsText(const TestResult& result) {
    if (result.connectionsRequested <= 1 || !result.connectionsUsed) {
        return {};
    }
    std::string text = "  Connections:     " + std::to_string(*result.connectionsUsed) + " of " +
                       std::to_string(result.connectionsRequested) + " asked for";
    if (result.rangesRefused) {
        text += ": the server serves no byte ranges, so the file came on one connection";
    }
    text += "\n";
    for (std::size_t i = 0; i < result.connections.size(); ++i) {
        const ConnectionFigures& share = result.connections[i];
        text += "    connection " + std::to_string(i + 1) + ": " + std::to_string(share.bytes) +
                " bytes";
        if (share.seconds > 0) {
            text += ", " + Fixed2(static_cast<double>(share.bytes) * 8 / 1e6 / share.seconds) +
                    " Mbit/s";
        }
        text += "\n";
    }
    return text;
}

std::string Fixed4(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string LatencyText(const LatencyFigures& latency) {
    std::string text;
    if (latency.idleSeconds) {
        text += "  Latency idle:    " + Fixed4(*latency.idleSeconds) +
                " seconds, the median round trip before the download (spread " +
                Fixed4(latency.idleSpreadSeconds.value_or(0)) + ")\n";
    }
    if (latency.loadedSeconds) {
        text += "  Latency loaded:  " + Fixed4(*latency.loadedSeconds) +
                " seconds, the median round trip during the download (90th percentile " +
                Fixed4(latency.loaded90Seconds.value_or(*latency.loadedSeconds)) + ")\n";
    }
    if (latency.kernelSeconds) {
        text += "                   " + Fixed4(*latency.kernelSeconds) +
                " seconds on the download's own connection, as the kernel measured it\n";
    }
    if (latency.addedSeconds && latency.grade) {
        text += "  Load added:      " + Fixed4(*latency.addedSeconds) + " seconds: grade " +
                *latency.grade + "\n";
    }
    if (latency.responsivenessRpm) {
        char rpm[64];
        std::snprintf(rpm, sizeof rpm, "%.0f", *latency.responsivenessRpm);
        text += "  Responsiveness:  " + std::string(rpm) + " round trips per minute under load\n";
    }
    return text;
}

}  // namespace

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
    if (result.latencyLine) {
        text += *result.latencyLine + "\n";
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
        if (result.steadyMegabitsPerSecond) {
            text += "  Steady rate:     " + Fixed2(*result.steadyMegabitsPerSecond) +
                    " megabits per second (Mbit/s), leaving out the first quarter of the "
                    "transfer\n";
        }
        if (!result.serverAddress.empty()) {
            text += "  Server:          " + result.serverAddress + "\n";
        }
        if (!result.finalUrl.empty()) {
            text += "  Final URL:       " + result.finalUrl + "\n";
        }
        text += PhasesText(result.phases);
        text += ConnectionsText(result);
        text += LatencyText(result.latency);
    }
    return text;
}
