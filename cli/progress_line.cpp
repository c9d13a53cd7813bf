#include "cli/progress_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// Room for the live line beside the bar: "999.9 MB of 999.9 MB, 9999.9 Mbit/s, 1:02:03 left".
constexpr std::size_t kDetailsWidth = 50;

int PercentOf(const LiveFigures& figures) {
    const std::uint64_t length = *figures.contentLength;
    if (figures.bytes >= length) {
        return 100;
    }
    return static_cast<int>(static_cast<double>(figures.bytes) * 100.0 /
                            static_cast<double>(length));
}

std::string PercentPart(const LiveFigures& figures) {
    char text[8];
    std::snprintf(text, sizeof text, "%3d%%", PercentOf(figures));
    return text;
}

std::string Bar(const LiveFigures& figures, int width) {
    const int inside = width - 2;
    const int filled =
        figures.contentLength
            ? static_cast<int>(inside * static_cast<double>(PercentOf(figures)) / 100)
            : 0;
    return "[" + std::string(filled, '#') + std::string(inside - filled, '-') + "]";
}

std::string FitTo(std::string line, int width) {
    const auto columns = static_cast<std::string::size_type>(width);
    if (line.size() > columns) {
        line.resize(columns);
    }
    line.append(columns - line.size(), ' ');
    return line;
}

}  // namespace

std::string FormatProgressBar(const LiveFigures& figures, int width) {
    width = std::max(width, 1);
    std::string details = FormatLiveLine(figures);
    // Figures of a steady width keep the bar from jumping as they change.
    if (details.size() < kDetailsWidth) {
        details.append(kDetailsWidth - details.size(), ' ');
    }
    const std::string percent = figures.contentLength ? PercentPart(figures) + " " : "";
    // The bar takes what the figures leave, and goes when less than ten columns are left.
    const int barWidth = width - static_cast<int>(percent.size() + 1 + details.size());
    if (figures.contentLength && barWidth >= 10) {
        return FitTo(percent + Bar(figures, barWidth) + " " + details, width);
    }
    return FitTo(percent + details, width);
}

std::string FormatProgressLine(const LiveFigures& figures) {
    std::string line;
    if (figures.contentLength) {
        line = std::to_string(PercentOf(figures)) + "% ";
    }
    return line + FormatLiveLine(figures);
}

bool DrawThrottle::due(Clock::time_point now) {
    if (last_ && now - *last_ < interval_) {
        return false;
    }
    last_ = now;
    return true;
}
