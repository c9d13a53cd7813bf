// The history's table and JSON lines, and the summary of a series.
#include <string>

#include <gtest/gtest.h>

#include "cli/history_print.h"
#include "cli/series_summary.h"
#include "history/history_row.h"
#include "tests/support/history_samples.h"

namespace {

HistoryRow Finished() {
    HistoryRow row = FinishedSampleRow();
    row.id = 7;
    return row;
}

TEST(HistoryTable, LinesUpUnderItsHeader) {
    const std::string header = HistoryTableHeader();
    const std::string line = HistoryTableLine(Finished());
    EXPECT_EQ(line,
              "2026-12-08 17:05:09      94.12    11.76       100000000      8.500       0.023"
              "        0  corvanite-cli  http://h/f.bin\n");
    EXPECT_EQ(header.find("URL"), line.find("http://"));
    EXPECT_EQ(header.find("Program"), line.find("corvanite-cli"));

    HistoryRow imported;
    imported.startUtc = "2026-12-08T17:05:09.000Z";
    imported.url = "ftp://h/x.pdf";
    imported.bytes = 1000;
    imported.wholeSeconds = true;
    EXPECT_NE(HistoryTableLine(imported).find("  <1*  "), std::string::npos)
        << HistoryTableLine(imported);
    imported.totalSeconds = 3;
    imported.megabitsPerSecond = 1000 * 8 / 1e6 / 3;
    EXPECT_NE(HistoryTableLine(imported).find("  3*  "), std::string::npos);
    EXPECT_NE(HistoryTableLine(imported).find("  -              ftp://h/x.pdf"), std::string::npos)
        << HistoryTableLine(imported);
}

TEST(HistoryJson, OneObjectPerLine) {
    EXPECT_EQ(HistoryJsonLine(Finished()),
              "{\"id\":7,\"start_utc\":\"2026-12-08T17:05:09.123Z\",\"url\":\"http://h/"
              "f.bin\",\"final_url\":null,"
              "\"outcome\":0,\"status\":\"Downloading finished.\",\"bytes\":100000000,"
              "\"first_byte_seconds\":0.023000,\"transfer_seconds\":8.477000,"
              "\"total_seconds\":8.500000,\"megabits_per_second\":94.118,"
              "\"megabytes_per_second\":11.765,\"server_address\":\"192.0.2.7:80\","
              "\"program\":\"corvanite-cli\",\"whole_seconds\":false,"
              "\"connections_requested\":null,\"connections_used\":null,"
              "\"steady_megabits_per_second\":null,\"name_lookup_seconds\":null,"
              "\"connect_seconds\":null,\"tls_seconds\":null,"
              "\"latency_idle_seconds\":null,\"latency_loaded_seconds\":null,"
              "\"latency_loaded_p90_seconds\":null,\"latency_kernel_seconds\":null,"
              "\"responsiveness_rpm\":null,\"latency_grade\":null}\n");
    HistoryRow failed;
    failed.outcome = 2;
    const std::string line = HistoryJsonLine(failed);
    EXPECT_NE(line.find("\"megabits_per_second\":null"), std::string::npos) << line;
    EXPECT_NE(line.find("\"server_address\":null,\"program\":null"), std::string::npos) << line;
}

TEST(Summary, GivesLeastMedianAndGreatestOfTheFinishedTests) {
    const struct {
        std::vector<std::optional<double>> rates;
        unsigned finished;
        std::string text;
    } cases[] = {
        {{94.1, 91.2, 95.0},
         3,
         "Series: 3 tests, 3 finished.\n"
         "Rate: least 91.2 Mbit/s, median 94.1 Mbit/s, greatest 95.0 Mbit/s\n"},
        {{10.0, std::nullopt, 30.0, 20.0, 40.0},
         4,
         "Series: 5 tests, 4 finished.\n"
         "Rate: least 10.0 Mbit/s, median 25.0 Mbit/s, greatest 40.0 Mbit/s\n"},
        {{std::nullopt}, 0, "Series: 1 test, 0 finished.\nRate: none, no test finished.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSeriesSummary(SummarizeSeries(c.rates, c.finished)), c.text);
    }
}

TEST(Summary, AsJson) {
    EXPECT_EQ(FormatJsonSeriesSummary(SummarizeSeries({2.0, 1.0}, 2)),
              "{\"summary\":{\"tests\":2,\"finished\":2,\"least_megabits_per_second\":1.000,"
              "\"median_megabits_per_second\":1.500,\"greatest_megabits_per_second\":2.000}}\n");
    EXPECT_EQ(FormatJsonSeriesSummary(SummarizeSeries({std::nullopt}, 0)),
              "{\"summary\":{\"tests\":1,\"finished\":0,\"least_megabits_per_second\":null,"
              "\"median_megabits_per_second\":null,\"greatest_megabits_per_second\":null}}\n");
}

}  // namespace
