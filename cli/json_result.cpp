#include "cli/json_result.h"

#include <chrono>
#include <cstdio>
#include <optional>

#include "cli/result.h"
#include "cli/version_text.h"

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when none starts there.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

std::string Escaped(unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", code);
    return text;
}

std::string Number(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string OrNull(const std::optional<std::string>& value) {
    return value ? *value : "null";
}

// A step of the connection in seconds to the microsecond: on a near server each takes less
// than a millisecond.
std::string Phase(const std::optional<double>& seconds) {
    return seconds ? Number(*seconds, "%.6f") : "null";
}

std::optional<std::string> Figure(const std::optional<double>& value, const char* format) {
    if (!value) {
        return std::nullopt;
    }
    return Number(*value, format);
}

// The latency keys, each null where the figure is missing.
std::string LatencyMembers(const LatencyFigures& latency) {
    const std::optional<std::string> grade =
        latency.grade ? std::optional(JsonString(*latency.grade)) : std::nullopt;
    return ",\"latency_idle_seconds\":" + OrNull(Figure(latency.idleSeconds, "%.6f")) +
           ",\"latency_idle_spread_seconds\":" + OrNull(Figure(latency.idleSpreadSeconds, "%.6f")) +
           ",\"latency_loaded_seconds\":" + OrNull(Figure(latency.loadedSeconds, "%.6f")) +
           ",\"latency_loaded_p90_seconds\":" + OrNull(Figure(latency.loaded90Seconds, "%.6f")) +
           ",\"latency_kernel_seconds\":" + OrNull(Figure(latency.kernelSeconds, "%.6f")) +
           ",\"latency_added_seconds\":" + OrNull(Figure(latency.addedSeconds, "%.6f")) +
           ",\"responsiveness_rpm\":" + OrNull(Figure(latency.responsivenessRpm, "%.1f")) +
           ",\"latency_grade\":" + OrNull(grade);
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            json += Escaped(c);
        } else if (c < 0x80) {
            json += static_cast<char>(c);
        } else if (const std::size_t length = Utf8SequenceAt(text, i)) {
            json.append(text, i, length);
            i += length;
            continue;
        } else {
            json += Escaped(c);
        }
        ++i;
    }
    return json + "\"";
}

std::string FormatJsonResult(const TestResult& result) {
    std::optional<std::string> bytes;
    std::optional<std::string> total;
    std::optional<std::string> megabits;
    std::optional<std::string> megabytes;
    if (result.bytes && result.interval) {
        bytes = std::to_string(*result.bytes);
        total = FormatSeconds(*result.interval);
        if (const auto rate = MegabitsPerSecond(*result.bytes, *result.interval)) {
            megabits = Number(*rate, "%.3f");
            megabytes = Number(*rate / 8, "%.3f");
        }
    }
    std::optional<std::string> steady;
    if (result.steadyMegabitsPerSecond) {
        steady = Number(*result.steadyMegabitsPerSecond, "%.3f");
    }
    std::optional<std::string> used;
    if (result.connectionsUsed) {
        used = std::to_string(*result.connectionsUsed);
    }
    const auto seconds = [](const std::optional<std::chrono::nanoseconds>& interval) {
        return interval ? std::optional<std::string>(FormatSeconds(*interval)) : std::nullopt;
    };
    const auto text = [](const std::string& value) {
        return value.empty() ? std::optional<std::string>() : JsonString(value);
    };
    return "{\"start_utc\":" +
           OrNull(result.startUtc ? JsonString(*result.startUtc) : std::optional<std::string>()) +
           ",\"url\":" + JsonString(result.url) +
           ",\"final_url\":" + OrNull(text(result.finalUrl)) +
           ",\"outcome\":" + std::to_string(result.outcome) +
           ",\"status\":" + JsonString(result.status) + ",\"bytes\":" + OrNull(bytes) +
           ",\"first_byte_seconds\":" + OrNull(seconds(result.firstByte)) +
           ",\"transfer_seconds\":" + OrNull(seconds(result.transfer)) +
           ",\"total_seconds\":" + OrNull(total) + ",\"megabits_per_second\":" + OrNull(megabits) +
           ",\"megabytes_per_second\":" + OrNull(megabytes) +
           ",\"server_address\":" + OrNull(text(result.serverAddress)) +
           ",\"program\":" + JsonString(CorvaniteCliName) +
           ",\"cause\":" + OrNull(text(result.cause)) + ",\"report\":" +
           OrNull(result.report ? JsonString(*result.report) : std::optional<std::string>()) +
           ",\"connections_requested\":" + std::to_string(result.connectionsRequested) +
           ",\"connections_used\":" + OrNull(used) +
           ",\"steady_megabits_per_second\":" + OrNull(steady) +
           ",\"name_lookup_seconds\":" + Phase(result.phases.nameLookup) +
           ",\"connect_seconds\":" + Phase(result.phases.connect) +
           ",\"tls_seconds\":" + Phase(result.phases.tls) + LatencyMembers(result.latency) + "}\n";
}
