// The history as CSV, as corvanite-cli prints it and the Results window exports it.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "frontend/history_csv.h"
#include "history/history_row.h"
#include "tests/support/history_samples.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

constexpr auto Finished = FinishedSampleRow;

TEST(HistoryCsv, OneLinePerTestUnderTheHeader) {
    EXPECT_EQ(HistoryCsvHeader(),
              "start_utc,url,outcome,status,bytes,first_byte_seconds,transfer_seconds,"
              "total_seconds,megabits_per_second,megabytes_per_second,server_address,program,"
              "whole_seconds,latency_idle_seconds,latency_loaded_seconds,responsiveness_rpm,"
              "latency_grade,connections_requested,connections_used,steady_megabits_per_second,"
              "name_lookup_seconds,connect_seconds,tls_seconds\r\n");
    HistoryRow ranged = Finished();
    ranged.connectionsRequested = 4;
    ranged.connectionsUsed = 3;
    ranged.steadyMegabitsPerSecond = 97.25;
    ranged.nameLookupSeconds = 0.000125;
    ranged.connectSeconds = 0.0004;
    EXPECT_EQ(HistoryCsvLine(ranged),
              "2026-12-08T17:05:09.123Z,http://h/f.bin,0,Downloading finished.,100000000,"
              "0.023000,8.477000,8.500000,94.118,11.765,192.0.2.7:80,corvanite-cli,0,,,,,4,3,"
              "97.250,0.000125,0.000400,\r\n");
    HistoryRow failed;
    failed.startUtc = "2026-12-08T17:05:09.123Z";
    failed.url = "http://h/f.bin";
    failed.outcome = 100;
    failed.wholeSeconds = true;
    EXPECT_EQ(HistoryCsvLine(failed),
              "2026-12-08T17:05:09.123Z,http://h/f.bin,100,Open URL Exception.,0,,,,,,,,1,,,,,,,,,,"
              "\r\n");
}

TEST(HistoryCsv, QuotesWhatWouldBreakAFieldAndDefusesFormulas) {
    struct Case {
        std::string url;
        std::string field;
    };
    for (const Case& c : {Case{"http://h/a,b.bin", "\"http://h/a,b.bin\""},
                          Case{"http://h/\"q\".bin", "\"http://h/\"\"q\"\".bin\""},
                          Case{"http://h/a\r\nb.bin", "\"http://h/a\r\nb.bin\""},
                          Case{"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
                          Case{"+1", "'+1"}, Case{"@x", "'@x"}, Case{"-x", "'-x"}}) {
        HistoryRow row;
        row.url = c.url;
        const std::string line = HistoryCsvLine(row);
        EXPECT_EQ(line.substr(1, c.field.size() + 1), c.field + ",") << line;
    }
}

TEST(HistoryCsv, ExportWritesTheWholeFileOrSaysWhy) {
    TempDir dir;
    std::string problem;
    ASSERT_TRUE(ExportHistoryCsv({Finished(), Finished()}, dir.file("out.csv"), &problem));
    EXPECT_EQ(readFile(dir.file("out.csv")),
              HistoryCsvHeader() + HistoryCsvLine(Finished()) + HistoryCsvLine(Finished()));
    EXPECT_FALSE(ExportHistoryCsv({}, dir.file("no/such/folder.csv"), &problem));
    EXPECT_NE(problem.find("no/such/folder.csv"), std::string::npos) << problem;
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(
            ExportHistoryCsv(std::vector<HistoryRow>(20000, Finished()), "/dev/full", &problem));
        EXPECT_NE(problem.find("No space"), std::string::npos) << problem;
    }
}

}  // namespace
