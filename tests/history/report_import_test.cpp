// Reading the report's blocks back for a new history.
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "history/report_import.h"
#include "history/utc_time.h"
#include "tests/support/scoped_time_zone.h"

namespace {

std::string Block(const std::string& stamp, const std::string& url, const std::string& bytes,
                  const std::string& seconds) {
    return "Internet Band Width Test Report\r\n"
           "                               ------ Corvanite by Brellwick\r\n"
           "\r\n"
           "=================================================================================\r\n"
           "Test DateTime:  " +
           stamp + "\r\nTest URL:       " + url + "\r\nBytes Received: " + bytes +
           ".\r\nSeconds Spaned: " + seconds +
           "\r\nBand Width:     1.00 KBytes/Seconds,  8.00 K bps\r\n"
           "=================================================================================\r\n"
           "\r\n\r\n";
}

class ReportImport : public ::testing::Test {
    // Stamps are local time: this test reads them in UTC.
    testsupport::ScopedTimeZone zone_{"UTC"};
};

TEST_F(ReportImport, EveryWholeBlockBecomesAFinishedTestOfWholeSeconds) {
    const std::string report =
        "text before the first block\r\n" +
        Block("2026-12-08 03:30:05", "ftp://h/pub/a.bin", "1234567", "10") +
        Block("2026-12-09 23:59:59", "http://u:secret@h/b.bin", "2000000", "< 1") +
        Block("", "http://h/c.bin", "0", "5");
    const auto rows = RowsOfReport(report);
    ASSERT_EQ(rows.size(), 3u);

    EXPECT_EQ(rows[0].startUtc, "2026-12-08T03:30:05.000Z");
    EXPECT_EQ(rows[0].url, "ftp://h/pub/a.bin");
    EXPECT_EQ(rows[0].bytes, 1234567u);
    EXPECT_EQ(rows[0].totalSeconds, 10.0);
    EXPECT_DOUBLE_EQ(rows[0].megabitsPerSecond.value(), 1234567 * 8 / 1e6 / 10);
    EXPECT_FALSE(rows[0].firstByteSeconds.has_value());

    // Under a second the report has no figure to take.
    EXPECT_EQ(rows[1].url, "http://u:****@h/b.bin");
    EXPECT_FALSE(rows[1].totalSeconds.has_value());
    EXPECT_FALSE(rows[1].megabitsPerSecond.has_value());

    // A stamp the report could not form.
    EXPECT_EQ(rows[2].startUtc, "");
    EXPECT_EQ(rows[2].megabitsPerSecond, 0.0);

    for (const HistoryRow& row : rows) {
        EXPECT_EQ(row.outcome, 0u);
        EXPECT_TRUE(row.wholeSeconds);
        EXPECT_EQ(row.program, "");
        EXPECT_EQ(row.id, 0);
    }
}

TEST_F(ReportImport, LeavesOutBlocksItCannotRead) {
    std::string cut = Block("2026-12-08 03:30:05", "http://h/a.bin", "10", "1");
    cut.resize(cut.find("Seconds Spaned"));  // a block cut short
    const std::string report =
        cut + Block("2026-12-08 03:30:06", "http://h/b.bin", "12x", "1") +         // bad count
        Block("2026-12-08 03:30:07", "http://h/c.bin", "10", "soon") +             // bad seconds
        Block("2026-12-08 03:30:08", "http://h/d.bin", "10", "2").substr(0, 300);  // no end
    const auto rows = RowsOfReport(report);
    EXPECT_TRUE(rows.empty()) << rows.size() << " " << rows.front().url;
    EXPECT_TRUE(RowsOfReport("").empty());
}

TEST_F(ReportImport, ReadsLfLineEndsToo) {
    std::string block = Block("2026-12-08 03:30:05", "http://h/a.bin", "2048", "2");
    std::string lf;
    for (char c : block) {
        if (c != '\r') {
            lf += c;
        }
    }
    const auto rows = RowsOfReport(lf + lf);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].bytes, 2048u);
}

TEST(UtcTimestamp, HasMillisecondsAndSortsAsText) {
    using namespace std::chrono;
    const system_clock::time_point t{milliseconds(1796700605123)};
    EXPECT_EQ(UtcTimestamp(t), "2026-12-08T03:30:05.123Z");
    EXPECT_EQ(UtcTimestamp(system_clock::time_point{milliseconds(-1)}), "1969-12-31T23:59:59.999Z");
    EXPECT_EQ(UtcTimestamp(static_cast<std::time_t>(0)), "1970-01-01T00:00:00.000Z");
    EXPECT_LT(UtcTimestamp(t), UtcTimestamp(t + milliseconds(1)));
}

}  // namespace
