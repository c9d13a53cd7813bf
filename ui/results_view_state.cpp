#include "ui/results_view_state.h"

#include <algorithm>
#include <cmath>

namespace {

// Ten colours told apart at a glance, also by most colour-blind readers; further URLs get hues
// spread by the golden angle, each far from the last.
constexpr QRgb Palette[] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                            0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};
constexpr std::size_t PaletteSize = sizeof Palette / sizeof Palette[0];

}  // namespace

QColor ResultsViewState::colourOf(const std::string& url) {
    if (const auto known = colours_.find(url); known != colours_.end()) {
        return known->second;
    }
    const std::size_t index = colours_.size();
    const QColor colour =
        index < PaletteSize
            ? QColor(Palette[index])
            : QColor::fromHsv(static_cast<int>((index - PaletteSize) * 137.508) % 360, 200, 190);
    colours_.emplace(url, colour);
    return colour;
}

void ResultsViewState::exported(std::size_t count, const std::string& path) {
    const QString tests = count == 1
                              ? QStringLiteral("1 test")
                              : QStringLiteral("%1 tests").arg(static_cast<qulonglong>(count));
    status_ = tests + QStringLiteral(" exported to ") + QString::fromLocal8Bit(path);
}

QString RateLabelFormat(double top, int tickCount) {
    // Enough decimals that every tick, a whole number of steps, reads exactly; three at most.
    const double step = tickCount > 1 ? top / (tickCount - 1) : top;
    int decimals = 0;
    for (double scaled = step; decimals < 3; ++decimals, scaled *= 10) {
        if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled)) {
            break;
        }
    }
    return QStringLiteral("%.%1f").arg(decimals);
}
