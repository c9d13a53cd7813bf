#pragma once

// The points of the Results window's chart, made without a display: for each URL, the rate of
// every finished test over its start time. A long history is thinned, so that a chart of a
// hundred thousand tests draws as fast as one of a few hundred and still shows every peak.
#include <string>
#include <vector>

#include <QList>
#include <QPointF>

class HistoryRows;

struct RateSeries {
    std::string url;
    // x: the start in milliseconds since 1970 (UTC), y: Mbit/s; oldest first.
    QList<QPointF> points;
};

// One series per URL that has a finished test with a rate, in the order of rows.urls(); the
// rows may come in any order. A series of more than 2 * buckets points is thinned: its time
// span is cut into that many equal buckets, and of the points in each bucket only the lowest
// and the highest rate are kept.
std::vector<RateSeries> BuildRateSeries(const HistoryRows& rows, int buckets);
