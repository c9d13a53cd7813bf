#include "bandwidth/latency_figures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bandwidth/latency_probe.h"

namespace {

// The value below which the given share of the samples lie, interpolated between neighbours.
std::optional<double> Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const double at = share * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

// The added latency below which each grade is given, in seconds: the grades of the common
// bufferbloat tests (see the README).
struct GradeLimit {
    double below;
    const char* grade;
};
constexpr GradeLimit kGrades[] = {
    {0.005, "A+"}, {0.030, "A"}, {0.060, "B"}, {0.200, "C"}, {0.400, "D"},
};

}  // namespace

std::string LatencyGrade(double addedSeconds) {
    for (const GradeLimit& limit : kGrades) {
        if (addedSeconds < limit.below) {
            return limit.grade;
        }
    }
    return "F";
}

LatencyFigures LatencyFiguresOf(const LatencySamples& samples) {
    LatencyFigures figures;
    figures.probeBytes = samples.probeBytes;
    figures.idleSeconds = Percentile(samples.idle, 0.5);
    if (!samples.idle.empty()) {
        const auto [least, greatest] =
            std::minmax_element(samples.idle.begin(), samples.idle.end());
        figures.idleSpreadSeconds = *greatest - *least;
    }
    figures.loadedSeconds = Percentile(samples.loaded, 0.5);
    figures.loaded90Seconds = Percentile(samples.loaded, 0.9);
    figures.kernelSeconds = Percentile(samples.kernel, 0.5);
    if (figures.idleSeconds && figures.loadedSeconds) {
        figures.addedSeconds = std::max(0.0, *figures.loadedSeconds - *figures.idleSeconds);
        figures.grade = LatencyGrade(*figures.addedSeconds);
    }
    if (figures.loadedSeconds && *figures.loadedSeconds > 0) {
        figures.responsivenessRpm = 60.0 / *figures.loadedSeconds;
    }
    return figures;
}
