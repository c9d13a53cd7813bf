// corvanite-cli for monitoring: a series with its summary, every test recorded in the history
// as the dialog's are, the history printed three ways in the words of a test's own JSON, and
// downloads discarded on request.
#include <filesystem>
#include <regex>
#include <string>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using clitest::CliExit;
using clitest::CliFolder;
using clitest::OutputLines;
using clitest::RunCli;
using testsupport::NginxServer;
using testsupport::TempDir;

namespace {

constexpr std::uint64_t kSize = 300000;

class Monitoring : public ::testing::Test {
protected:
    Monitoring() : nginx_(served_.path()) {
        testsupport::writePatternFile(served_.file("a.bin"), kSize);
        testsupport::writePatternFile(served_.file("b.bin"), kSize);
    }

    std::string url(const std::string& path) const { return nginx_.url(path); }

    TempDir served_;
    NginxServer nginx_;
    CliFolder folder_;
};

TEST_F(Monitoring, ASeriesEndsWithTheSummaryOfItsRatesAndIsRecordedWhole) {
    const CliExit exit =
        RunCli(folder_.program(), {"--quiet", "--repeat", "3", "--interval=0.2", url("/a.bin")});
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0) << exit.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        exit.out, m,
        std::regex("\n\nSeries: 3 tests, 3 finished\\.\nRate: least ([0-9.]+) Mbit/s, median "
                   "([0-9.]+) Mbit/s, greatest ([0-9.]+) Mbit/s\n$")))
        << exit.out;
    EXPECT_LE(std::stod(m[1]), std::stod(m[2]));
    EXPECT_LE(std::stod(m[2]), std::stod(m[3]));

    // Three rows of this program, newest first, whose rates are the ones summed up.
    const CliExit history = RunCli(folder_.program(), {"--history", "--json"});
    ASSERT_EQ(history.status, 0) << history.err;
    const auto lines = OutputLines(history.out);
    ASSERT_EQ(lines.size(), 3u) << history.out;
    double least = 1e300;
    std::string previous = "9999";
    for (const std::string& line : lines) {
        const QJsonObject row = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        EXPECT_EQ(row["program"].toString().toStdString(), "corvanite-cli");
        EXPECT_EQ(row["url"].toString().toStdString(), url("/a.bin"));
        EXPECT_EQ(row["bytes"].toInteger(), static_cast<qint64>(kSize));
        EXPECT_FALSE(row["whole_seconds"].toBool());
        const std::string start = row["start_utc"].toString().toStdString();
        EXPECT_LE(start, previous);
        previous = start;
        least = std::min(least, row["megabits_per_second"].toDouble());
    }
    EXPECT_NEAR(least, std::stod(m[1]), 0.051 + least * 1e-3);
}

TEST_F(Monitoring, ATestsJsonAndItsHistoryRowSayTheSameInTheSameWords) {
    const CliExit test = RunCli(folder_.program(), {"--json", url("/a.bin")});
    ASSERT_EQ(test.status, 0) << test.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(test.out)).object();
    const CliExit history = RunCli(folder_.program(), {"--history", "--json"});
    ASSERT_EQ(history.status, 0) << history.err;
    const QJsonObject row =
        QJsonDocument::fromJson(QByteArray::fromStdString(history.out)).object();
    const CliExit csv = RunCli(folder_.program(), {"--history", "--csv"});
    const QStringList columns =
        QString::fromStdString(OutputLines(csv.out).at(0)).trimmed().split(',');

    for (const char* key : {"start_utc", "url", "outcome", "status", "bytes", "first_byte_seconds",
                            "transfer_seconds", "total_seconds", "megabits_per_second",
                            "megabytes_per_second", "server_address", "program"}) {
        EXPECT_TRUE(json.contains(key) && row.contains(key) && columns.contains(key)) << key;
    }
    for (const QString& key : json.keys()) {
        if (!row.contains(key)) {
            continue;  // of the test alone: its cause, its report
        }
        if (json[key].isDouble()) {
            // The test's seconds are whole milliseconds, the history's microseconds.
            EXPECT_NEAR(json[key].toDouble(), row[key].toDouble(),
                        0.0006 + json[key].toDouble() * 1e-3)
                << key.toStdString();
        } else {
            EXPECT_EQ(json[key], row[key]) << key.toStdString();
        }
    }
    EXPECT_NEAR(json["megabytes_per_second"].toDouble() * 8, json["megabits_per_second"].toDouble(),
                0.01);
}

TEST_F(Monitoring, TheHistoryPrintsAsATableAsCsvAndForOneUrl) {
    ASSERT_EQ(RunCli(folder_.program(), {"-q", url("/a.bin")}).status, 0);
    ASSERT_EQ(RunCli(folder_.program(), {"-q", url("/b.bin")}).status, 0);
    ASSERT_EQ(RunCli(folder_.program(), {"-q", url("/nothing.bin")}).status, 100);

    const CliExit table = RunCli(folder_.program(), {"--history"});
    ASSERT_EQ(table.status, 0) << table.err;
    auto lines = OutputLines(table.out);
    ASSERT_EQ(lines.size(), 4u) << table.out;
    EXPECT_EQ(lines[0].rfind("Start (UTC)", 0), 0u);
    EXPECT_NE(lines[1].find(" 100  corvanite-cli  " + url("/nothing.bin")), std::string::npos)
        << lines[1];
    EXPECT_NE(lines[3].find("   0  corvanite-cli  " + url("/a.bin")), std::string::npos)
        << lines[3];

    const CliExit csv = RunCli(folder_.program(), {"--history", "--csv", url("/b.bin")});
    ASSERT_EQ(csv.status, 0) << csv.err;
    lines = OutputLines(csv.out);
    ASSERT_EQ(lines.size(), 2u) << csv.out;
    EXPECT_EQ(lines[0].rfind("start_utc,url,outcome,", 0), 0u);
    EXPECT_NE(lines[1].find("," + url("/b.bin") + ",0,Downloading finished.,300000,"),
              std::string::npos)
        << lines[1];
    EXPECT_EQ(lines[1].back(), '\r');
}

TEST_F(Monitoring, AnEmptyOrDamagedHistory) {
    const CliExit empty = RunCli(folder_.program(), {"--history"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(OutputLines(empty.out).size(), 1u) << "the header only";

    testsupport::writeFile(folder_.file("BandWidth_History.db"), std::string(4096, 'x'));
    const CliExit damaged = RunCli(folder_.program(), {"--history"});
    EXPECT_EQ(damaged.status, 70);
    EXPECT_NE(damaged.err.find("is damaged"), std::string::npos) << damaged.err;

    // A test goes on, tells it once, and still appends its report.
    const CliExit test =
        RunCli(folder_.program(), {"-q", "--repeat=2", "--discard", url("/a.bin")});
    EXPECT_EQ(test.status, 0) << test.err;
    std::size_t told = 0;
    for (std::size_t at = 0; (at = test.err.find("not being added", at)) != std::string::npos;
         ++at) {
        ++told;
    }
    EXPECT_EQ(told, 1u) << test.err;
    EXPECT_NE(test.out.find("Series: 2 tests, 2 finished."), std::string::npos);
    const std::string report = testsupport::readFile(folder_.file("BandWidth_TestRpt.txt"));
    EXPECT_NE(report.find("Bytes Received: 300000."), std::string::npos);
}

TEST_F(Monitoring, DiscardRemovesTheDownloadAfterTheTest) {
    ASSERT_EQ(RunCli(folder_.program(), {"-q", url("/a.bin")}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(folder_.file("a.bin")));
    const CliExit exit = RunCli(folder_.program(), {"-q", "--discard", url("/b.bin")});
    EXPECT_EQ(exit.status, 0) << exit.err;
    EXPECT_FALSE(std::filesystem::exists(folder_.file("b.bin")));
    EXPECT_TRUE(std::filesystem::exists(folder_.file("a.bin"))) << "only the test's own file";
}

}  // namespace
