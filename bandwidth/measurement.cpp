#include "bandwidth/measurement.h"

namespace {

double Seconds(std::chrono::nanoseconds interval) {
    return std::chrono::duration<double>(interval).count();
}

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
