// The lines a person reads about a test: one set of figures, one way of writing them.
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "frontend/history_notice.h"
#include "frontend/result_line.h"
#include "history/history_row.h"

namespace {

using std::chrono::milliseconds;

TEST(ResultLine, IsWrittenInDecimalUnits) {
    const struct {
        ResultFigures figures;
        const char* line;
    } cases[] = {
        {{100000000, 8.5, 0.023, 100000000 * 8 / 1e6 / 8.5, 1, std::nullopt},
         "94.1 Mbit/s (11.8 MB/s): 100.0 MB in 8.50 s, first byte after 23 ms"},
        {{1073741824, 1.25, 0.0004, 1073741824.0 * 8 / 1e6 / 1.25, 1, std::nullopt},
         "6871.9 Mbit/s (859.0 MB/s): 1.07 GB in 1.25 s, first byte after 0 ms"},
        {{999, 0.5, 0.4, 999 * 8 / 1e6 / 0.5, 1, std::nullopt},
         "0.02 Mbit/s (0.00 MB/s): 999 B in 500 ms, first byte after 400 ms"},
        {{999949, 2.0, 1.5, 3.999796, 1, std::nullopt},
         "4.00 Mbit/s (0.50 MB/s): 999.9 kB in 2.00 s, first byte after 1.50 s"},
        {{999950, 0.9996, 0.1, 8.0, 1, std::nullopt},
         "8.00 Mbit/s (1.00 MB/s): 1.0 MB in 1.00 s, first byte after 100 ms"},
        // An empty file: no first byte; no total time: no rate.
        {{0, 0.012, std::nullopt, 0.0, 1, std::nullopt}, "0.00 Mbit/s (0.00 MB/s): 0 B in 12 ms"},
        {{5000, std::nullopt, std::nullopt, std::nullopt, 1, std::nullopt}, "5.0 kB"},
        // Several connections name their count and the steady rate when there is one.
        {{100000000, 1.94, 0.023, 412.3, 4, 455.0},
         "412.3 Mbit/s on 4 connections (steady 455.0), 100.0 MB in 1.94 s, first byte after "
         "23 ms"},
        {{3000, 0.2, 0.05, 0.12, 3, std::nullopt},
         "0.12 Mbit/s on 3 connections, 3.0 kB in 200 ms, first byte after 50 ms"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatResultLine(c.figures), c.line);
    }
}

TEST(ResultLine, OfAnEndingAndOfItsHistoryRowAreTheSame) {
    TestEnding ending;
    ending.outcome = OutcomeFinished;
    ending.measurement.bytes = 123456789;
    ending.measurement.firstByte = milliseconds(37);
    ending.measurement.lastRead = milliseconds(10437);
    HistoryRow row;
    row.bytes = ending.measurement.bytes;
    row.firstByteSeconds = TimeToFirstByteSeconds(ending.measurement);
    row.totalSeconds = TotalSeconds(ending.measurement);
    row.megabitsPerSecond = RateMegabitsPerSecond(ending.measurement);
    EXPECT_EQ(FormatResultLine(ending),
              "94.6 Mbit/s (11.8 MB/s): 123.5 MB in 10.44 s, first byte after 37 ms");
    EXPECT_EQ(FormatResultLine(FiguresOf(row)), FormatResultLine(ending));

    // Only a finished test has a result line.
    for (const unsigned outcome : {1u, 2u, 100u, 106u}) {
        ending.outcome = outcome;
        EXPECT_EQ(FormatResultLine(ending), "") << outcome;
    }
}

TEST(Measurement, TheRateIsTakenOverTheTotalTime) {
    TestMeasurement m;
    m.bytes = 1000000;
    EXPECT_FALSE(RateMegabitsPerSecond(m).has_value()) << "no read, no rate";
    m.lastRead = milliseconds(2000);
    EXPECT_FALSE(TimeToFirstByteSeconds(m).has_value());
    EXPECT_FALSE(TransferSeconds(m).has_value());
    EXPECT_DOUBLE_EQ(RateMegabitsPerSecond(m).value(), 4.0);
    m.firstByte = milliseconds(1500);
    // The half second before the first byte counts: bytes that came with it came in it.
    EXPECT_DOUBLE_EQ(RateMegabitsPerSecond(m).value(), 4.0);
    EXPECT_DOUBLE_EQ(TransferSeconds(m).value(), 0.5);
    m.lastRead = milliseconds(0);
    EXPECT_FALSE(RateMegabitsPerSecond(m).has_value());
}

TEST(LiveLine, ShowsReceivedRateAndTimeLeft) {
    const struct {
        LiveFigures figures;
        const char* line;
    } cases[] = {
        {{42000000, 100000000, 11764705.9}, "42.0 MB of 100.0 MB, 94.1 Mbit/s, 0:05 left"},
        {{0, 100000000, std::nullopt}, "0 B of 100.0 MB, -- Mbit/s"},
        {{5000, std::nullopt, 1000.0}, "5.0 kB, 0.01 Mbit/s"},
        {{100, 100, 10.0}, "100 B of 100 B, 0.00 Mbit/s"},
        {{0, 3730000000, 1000000.0}, "0 B of 3.73 GB, 8.00 Mbit/s, 1:02:10 left"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatLiveLine(c.figures), c.line);
    }
}

TEST(HistoryNotice, TellsTheFirstProblemOnly) {
    HistoryNotice notice;
    TestEnding recorded;
    recorded.recorded = true;
    EXPECT_FALSE(notice.take(recorded).has_value());
    TestEnding skipped;
    skipped.historyProblem = "the history is locked";
    EXPECT_EQ(notice.take(skipped).value_or(""), "the history is locked");
    EXPECT_FALSE(notice.take(skipped).has_value());
    EXPECT_FALSE(notice.take(recorded).has_value());
}

}  // namespace
