// The Results window's table and chart points, made from a few rows without a display.
#include "ui/history_table_model.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QDateTime>

#include "tests/support/history_samples.h"
#include "ui/history_rows.h"
#include "ui/rate_series.h"
#include "ui/start_time.h"

namespace {

using Model = HistoryTableModel;

constexpr auto Row = SampleRow;

constexpr const char* A = "http://a.test/100MB.bin";
constexpr const char* B = "ftp://b.test/pub/doc.pdf";

// Newest first, as the window reads them.
std::shared_ptr<HistoryRows> Sample() {
    auto rows = std::make_shared<HistoryRows>();
    HistoryRow finished = Row("2026-12-08T17:05:09.123Z", A, 0, 100000000, 8.5, 94.117647);
    finished.firstByteSeconds = 0.023;
    finished.serverAddress = "192.0.2.7:80";
    finished.program = "Corvanite";
    rows->add(finished);
    HistoryRow failed = Row("2026-12-08T16:00:00.500Z", B, 100, 0, std::nullopt, std::nullopt);
    failed.program = "corvanite-cli";
    rows->add(failed);
    rows->add(Row("2026-12-08T15:00:00.000Z", A, 2, 2048000, 1.25, 13.1));
    rows->add(Row("2026-12-07T10:00:00.000Z", A, 1, 1024, 0.2, 0.04));
    // Imported from the report: whole seconds; one under a second has no total at all.
    HistoryRow imported = Row("2026-01-02T03:04:05.000Z", B, 0, 5000000, 3.0, 13.333333);
    imported.wholeSeconds = true;
    rows->add(imported);
    HistoryRow quick = Row("2026-01-01T00:00:00.000Z", B, 0, 1000, std::nullopt, std::nullopt);
    quick.wholeSeconds = true;
    rows->add(quick);
    return rows;
}

QString Cell(const Model& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

TEST(HistoryTable, ShowsEachTestAsAPersonReadsIt) {
    Model model;
    model.setRows(Sample());
    ASSERT_EQ(model.rowCount(), 6);
    ASSERT_EQ(model.columnCount(), Model::ColumnCount);

    const struct {
        int row;
        std::vector<const char*> cells;  // from Outcome on
    } expected[] = {
        {0,
         {"Downloading finished.", "100.0 MB", "23 ms", "8.50 s", "94.1", "11.8", "", "", "", "",
          "192.0.2.7:80", "Corvanite"}},
        {1, {"Open URL Exception.", "0 B", "", "", "", "", "", "", "", "", "", "corvanite-cli"}},
        {2,
         {"Downloading is broken by user.", "2.0 MB", "", "1.25 s", "13.1", "1.64", "", "", "", "",
          "", ""}},
        {3,
         {"Stopped: the program was closed.", "1.0 kB", "", "200 ms", "0.04", "0.01", "", "", "",
          "", "", ""}},
        {4,
         {"Downloading finished.", "5.0 MB", "", "3 s*", "13.3", "1.67", "", "", "", "", "", ""}},
        {5, {"Downloading finished.", "1.0 kB", "", "<1 s*", "", "", "", "", "", "", "", ""}},
    };
    for (const auto& row : expected) {
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
            const int column = Model::OutcomeColumn + static_cast<int>(i);
            EXPECT_EQ(Cell(model, row.row, column).toStdString(), row.cells[i])
                << "row " << row.row << ", column " << column;
        }
    }
    EXPECT_EQ(Cell(model, 0, Model::UrlColumn).toStdString(), A);
    EXPECT_EQ(Cell(model, 0, Model::StartColumn),
              LocalStartText(*UtcMilliseconds("2026-12-08T17:05:09.123Z")));
}

TEST(HistoryTable, MarksTheReportsWholeSecondRows) {
    Model model;
    model.setRows(Sample());
    EXPECT_TRUE(model.wholeSecondsInView());
    for (int column : {Model::StartColumn, Model::TotalTimeColumn, Model::MegabitsColumn}) {
        EXPECT_EQ(Cell(model, 4, column, Qt::ToolTipRole).toStdString(),
                  "Imported from the report: whole seconds only");
        EXPECT_EQ(Cell(model, 0, column, Qt::ToolTipRole), QString());
    }
    EXPECT_EQ(Cell(model, 4, Model::SizeColumn, Qt::ToolTipRole).toStdString(), "5000000 bytes");

    // Only the rows of a URL that has none: no mark.
    model.setUrlFilter(A);
    EXPECT_FALSE(model.wholeSecondsInView());
}

TEST(HistoryTable, FiltersByUrl) {
    Model model;
    model.setRows(Sample());
    const struct {
        std::optional<std::string> url;
        std::vector<std::string> starts;
    } cases[] = {
        {A, {"2026-12-08T17:05:09.123Z", "2026-12-08T15:00:00.000Z", "2026-12-07T10:00:00.000Z"}},
        {B, {"2026-12-08T16:00:00.500Z", "2026-01-02T03:04:05.000Z", "2026-01-01T00:00:00.000Z"}},
        {"http://never.tested/", {}},
        {std::nullopt,
         {"2026-12-08T17:05:09.123Z", "2026-12-08T16:00:00.500Z", "2026-12-08T15:00:00.000Z",
          "2026-12-07T10:00:00.000Z", "2026-01-02T03:04:05.000Z", "2026-01-01T00:00:00.000Z"}},
    };
    for (const auto& c : cases) {
        model.setUrlFilter(c.url);
        std::vector<std::string> starts;
        for (const HistoryRow& row : model.rowsInView()) {
            starts.push_back(row.startUtc);
        }
        EXPECT_EQ(starts, c.starts) << c.url.value_or("(all)");
        EXPECT_EQ(model.rowCount(), static_cast<int>(c.starts.size())) << c.url.value_or("(all)");
    }
}

TEST(RateSeries, OneLinePerUrlOfItsFinishedTestsOldestFirst) {
    const std::vector<RateSeries> series = BuildRateSeries(*Sample(), 300);
    ASSERT_EQ(series.size(), 2u);
    // The order of the URLs: the most recently tested first.
    EXPECT_EQ(series[0].url, A);
    EXPECT_EQ(series[1].url, B);
    // A: only the finished test; the cancelled and the ended ones have no rate to chart.
    ASSERT_EQ(series[0].points.size(), 1);
    EXPECT_EQ(
        series[0].points[0],
        QPointF(static_cast<double>(*UtcMilliseconds("2026-12-08T17:05:09.123Z")), 94.117647));
    // B: the imported test with a rate; the failed one and the one without a rate are left out.
    ASSERT_EQ(series[1].points.size(), 1);
    EXPECT_EQ(series[1].points[0].y(), 13.333333);
}

std::string StartText(std::int64_t utcMilliseconds) {
    return QDateTime::fromMSecsSinceEpoch(utcMilliseconds, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"))
        .toStdString();
}

TEST(RateSeries, ALongHistoryIsThinnedKeepingEveryPeakAndDip) {
    // A test a minute, newest first; a dip every 97th, a peak every 89th: never two of a kind
    // in one bucket of 50.
    constexpr int Count = 5000;
    constexpr int Buckets = 100;
    const std::int64_t first = *UtcMilliseconds("2026-01-01T00:00:00.000Z");
    const auto rateOf = [](int i) {
        return i % 97 == 0 ? 1.0 : i % 89 == 0 ? 900.0 : 90.0 + i % 7;
    };
    HistoryRows rows;
    for (int i = Count - 1; i >= 0; --i) {
        rows.add(Row(StartText(first + i * 60000LL), A, 0, 1000, 1.0, rateOf(i)));
    }

    const std::vector<RateSeries> series = BuildRateSeries(rows, Buckets);
    ASSERT_EQ(series.size(), 1u);
    const QList<QPointF>& points = series[0].points;
    EXPECT_LE(points.size(), 2 * Buckets);
    EXPECT_GE(points.size(), Buckets);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); }));
    for (int i = 0; i < Count; ++i) {
        if (i % 97 != 0 && i % 89 != 0) {
            continue;
        }
        const QPointF mark(static_cast<double>(first + i * 60000LL), rateOf(i));
        EXPECT_TRUE(std::find(points.begin(), points.end(), mark) != points.end()) << i;
    }
    // Whatever is kept was measured.
    for (const QPointF& point : points) {
        const int i = static_cast<int>((static_cast<std::int64_t>(point.x()) - first) / 60000);
        EXPECT_EQ(point.y(), rateOf(i)) << i;
    }
}

TEST(RateSeries, AShortHistoryKeepsEveryPoint) {
    HistoryRows rows;
    for (int minute = 59; minute >= 0; --minute) {
        char start[40];
        std::snprintf(start, sizeof start, "2026-05-05T10:%02d:00.000Z", minute);
        rows.add(Row(start, B, 0, 1, 1.0, 10.0 + minute));
    }
    const std::vector<RateSeries> series = BuildRateSeries(rows, 30);
    ASSERT_EQ(series.size(), 1u);
    ASSERT_EQ(series[0].points.size(), 60);
    EXPECT_EQ(series[0].points.front().y(), 10.0);
    EXPECT_EQ(series[0].points.back().y(), 69.0);
}

}  // namespace
