#pragma once

// All the Results window shows of the history, read in one go: the rows, the URLs and the
// chart's points. Made off the user-interface thread, so that neither a long history nor
// one that another program holds locked for a moment ever stops the dialog.
#include <memory>
#include <string>
#include <vector>

#include "ui/history_rows.h"
#include "ui/rate_series.h"

struct HistorySnapshot {
    // False when the history could not be read; problem says why, for the user.
    bool readable = true;
    std::string problem;
    // Newest first; their URLs the most recently tested first. Never null.
    std::shared_ptr<const HistoryRows> rows;
    std::vector<RateSeries> series;
};

// Reads the history at path; a missing history reads as an empty one. buckets: see
// BuildRateSeries.
HistorySnapshot ReadHistorySnapshot(const std::string& path, int buckets);
