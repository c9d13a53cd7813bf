#include "bandwidth/measurement.h"

namespace {

double Seconds(std::chrono::nanoseconds interval) {
    return std::chrono::duration<double>(interval).count();
}

constexpr std::chrono::nanoseconds kSampleInterval = std::chrono::milliseconds(100);
constexpr std::chrono::nanoseconds kShortestSteadySpan = std::chrono::milliseconds(300);

}  // namespace

std::optional<double> TimeToFirstByteSeconds(const TestMeasurement& measurement) {
    if (!measurement.firstByte) {
        return std::nullopt;
    }
    return Seconds(*measurement.firstByte);
}

std::optional<double> TransferSeconds(const TestMeasurement& measurement) {
    if (!measurement.firstByte || !measurement.lastRead) {
        return std::nullopt;
    }
    return Seconds(*measurement.lastRead - *measurement.firstByte);
}

std::optional<double> TotalSeconds(const TestMeasurement& measurement) {
    if (!measurement.lastRead) {
        return std::nullopt;
    }
    return Seconds(*measurement.lastRead);
}

std::optional<double> RateMegabitsPerSecond(const TestMeasurement& measurement) {
    const std::optional<double> total = TotalSeconds(measurement);
    if (!total || *total <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(measurement.bytes) * 8.0 / 1e6 / *total;
}

std::optional<double> SteadyRateMegabitsPerSecond(const TestMeasurement& measurement) {
    if (!measurement.firstByte || !measurement.lastRead) {
        return std::nullopt;
    }
    const std::chrono::nanoseconds transfer = *measurement.lastRead - *measurement.firstByte;
    const std::chrono::nanoseconds from = *measurement.firstByte + transfer / 4;
    // The first sample that begins at or after that moment.
    const auto first = static_cast<std::size_t>(
        (from + kSampleInterval - std::chrono::nanoseconds(1)) / kSampleInterval);
    const std::chrono::nanoseconds span =
        *measurement.lastRead - kSampleInterval * static_cast<std::int64_t>(first);
    if (first >= measurement.samples.size() || span < kShortestSteadySpan) {
        return std::nullopt;
    }
    std::uint64_t bytes = 0;
    for (std::size_t i = first; i < measurement.samples.size(); ++i) {
        bytes += measurement.samples[i];
    }
    return static_cast<double>(bytes) * 8.0 / 1e6 / Seconds(span);
}
