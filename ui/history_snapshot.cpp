#include "ui/history_snapshot.h"

#include "history/history_reader.h"

HistorySnapshot ReadHistorySnapshot(const std::string& path, int buckets) {
    HistorySnapshot snapshot;
    auto rows = std::make_shared<HistoryRows>();
    HistoryReader reader;
    const bool read =
        reader.open(path) && reader.forEach(HistoryOrder::NewestFirst, std::nullopt,
                                            [&rows](const HistoryRow& row) { rows->add(row); });
    if (!read) {
        snapshot.readable = false;
        snapshot.problem = reader.problem();
        rows = std::make_shared<HistoryRows>();
    }
    snapshot.series = BuildRateSeries(*rows, buckets);
    snapshot.rows = std::move(rows);
    return snapshot;
}
