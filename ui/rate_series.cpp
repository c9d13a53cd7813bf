#include "ui/rate_series.h"

#include <algorithm>

#include "bandwidth/request.h"
#include "ui/history_rows.h"

namespace {

QList<QPointF> Thinned(const QList<QPointF>& points, int buckets) {
    const double first = points.front().x();
    const double span = points.back().x() - first;
    QList<QPointF> kept;
    kept.reserve(2 * buckets);
    qsizetype begin = 0;
    while (begin < points.size()) {
        const auto bucket = std::min<qsizetype>(
            buckets - 1, static_cast<qsizetype>((points[begin].x() - first) / span * buckets));
        qsizetype low = begin;
        qsizetype high = begin;
        qsizetype end = begin + 1;
        for (; end < points.size(); ++end) {
            const auto at = std::min<qsizetype>(
                buckets - 1, static_cast<qsizetype>((points[end].x() - first) / span * buckets));
            if (at != bucket) {
                break;
            }
            if (points[end].y() < points[low].y()) {
                low = end;
            }
            if (points[end].y() > points[high].y()) {
                high = end;
            }
        }
        // In time order, so that the line runs forwards.
        kept.append(points[std::min(low, high)]);
        if (low != high) {
            kept.append(points[std::max(low, high)]);
        }
        begin = end;
    }
    return kept;
}

}  // namespace

std::vector<RateSeries> BuildRateSeries(const HistoryRows& rows, int buckets) {
    std::vector<QList<QPointF>> byUrl(rows.urls().size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto rate = rows.megabitsPerSecond(i);
        const auto at = rows.startMilliseconds(i);
        if (rows.outcome(i) != OutcomeFinished || !rate || !at) {
            continue;
        }
        byUrl[rows.urlIndex(i)].append(QPointF(static_cast<double>(*at), *rate));
    }
    std::vector<RateSeries> result;
    for (std::size_t url = 0; url < byUrl.size(); ++url) {
        QList<QPointF>& points = byUrl[url];
        if (points.isEmpty()) {
            continue;
        }
        std::stable_sort(points.begin(), points.end(),
                         [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        if (buckets > 0 && points.size() > 2 * buckets && points.back().x() > points.front().x()) {
            points = Thinned(points, buckets);
        }
        result.push_back({rows.urls()[url], std::move(points)});
    }
    return result;
}
