#include "cli/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

// Room for the figures beside the bar: "1023 MiB of 1.00 GiB  1023 MiB/s  1:02:03 left".
constexpr std::size_t kDetailsWidth = 46;

std::string Printf(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

int PercentOf(const ProgressState& state) {
    const std::uint64_t length = *state.contentLength;
    if (state.bytes >= length) {
        return 100;
    }
    return static_cast<int>(state.bytes * 100.0 / static_cast<double>(length));
}

std::string BytesPart(const ProgressState& state) {
    std::string text = FormatByteSize(static_cast<double>(state.bytes));
    if (state.contentLength) {
        text += " of " + FormatByteSize(static_cast<double>(*state.contentLength));
    }
    return text;
}

std::string RatePart(const ProgressState& state) {
    return state.rate ? FormatByteSize(*state.rate) + "/s" : "--/s";
}

std::optional<std::string> TimeLeftPart(const ProgressState& state) {
    if (!state.contentLength || !state.rate || *state.rate <= 0) {
        return std::nullopt;
    }
    const std::uint64_t left =
        *state.contentLength > state.bytes ? *state.contentLength - state.bytes : 0;
    if (left == 0) {
        return std::nullopt;
    }
    return FormatDuration(static_cast<double>(left) / *state.rate) + " left";
}

std::string PercentPart(const ProgressState& state) {
    char text[8];
    std::snprintf(text, sizeof text, "%3d%%", PercentOf(state));
    return text;
}

std::string Bar(const ProgressState& state, int width) {
    const int inside = width - 2;
    const int filled = state.contentLength
                           ? static_cast<int>(inside * static_cast<double>(PercentOf(state)) / 100)
                           : 0;
    std::string bar = "[" + std::string(filled, '#') + std::string(inside - filled, '-') + "]";
    return bar;
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

std::string FormatByteSize(double bytes) {
    static constexpr const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) {
        return Printf("%.0f B", bytes);
    }
    double value = bytes / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < std::size(units)) {
        value /= 1024;
        ++unit;
    }
    // Three significant figures: 1.00, 10.0, 100 (and 1023).
    const char* format = value < 10 ? "%.2f %s" : value < 100 ? "%.1f %s" : "%.0f %s";
    char text[64];
    std::snprintf(text, sizeof text, format, value, units[unit]);
    return text;
}

std::string FormatDuration(double seconds) {
    if (!(seconds >= 0) || seconds > 359999) {
        return "--:--";
    }
    const auto total = static_cast<long>(std::ceil(seconds));
    const long hours = total / 3600;
    const long minutes = total / 60 % 60;
    const long rest = total % 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, rest);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", minutes, rest);
    }
    return text;
}

std::string FormatProgressBar(const ProgressState& state, int width) {
    width = std::max(width, 1);
    std::string details = BytesPart(state) + "  " + RatePart(state);
    if (const auto left = TimeLeftPart(state)) {
        details += "  " + *left;
    }
    // Figures of a steady width keep the bar from jumping as they change.
    if (details.size() < kDetailsWidth) {
        details.append(kDetailsWidth - details.size(), ' ');
    }
    const std::string percent = state.contentLength ? PercentPart(state) + " " : "";
    // The bar takes what the figures leave, and goes when less than ten columns are left.
    const int barWidth = width - static_cast<int>(percent.size() + 1 + details.size());
    if (state.contentLength && barWidth >= 10) {
        return FitTo(percent + Bar(state, barWidth) + " " + details, width);
    }
    return FitTo(percent + details, width);
}

std::string FormatProgressLine(const ProgressState& state) {
    std::string line;
    if (state.contentLength) {
        line = std::to_string(PercentOf(state)) + "% ";
    }
    line += BytesPart(state) + ", " + RatePart(state);
    if (const auto left = TimeLeftPart(state)) {
        line += ", " + *left;
    }
    return line;
}

bool DrawThrottle::due(Clock::time_point now) {
    if (last_ && now - *last_ < interval_) {
        return false;
    }
    last_ = now;
    return true;
}
