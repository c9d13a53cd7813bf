// What the worker measures and records: the rate never counts data at zero time, the ending is
// there at the finished notification, the history holds the same figures, and a history that
// cannot be written never stops a test or its report.
#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "bandwidth/ending.h"
#include "bandwidth/request.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

// The server's pacing: nothing for kWait, then the headers with kFirst bytes, then kCount
// chunks of kChunk bytes, kDelay apart.
constexpr int kWaitMs = 300;
constexpr int kFirst = 200000;
constexpr int kChunk = 1000;
constexpr int kCount = 4;
constexpr int kDelayMs = 100;
constexpr std::uint64_t kBytes = kFirst + kChunk * kCount;

std::string PacedUrl(const ScriptedHttpServer& http) {
    return http.url("/paced?first=" + std::to_string(kFirst) + "&chunk=" + std::to_string(kChunk) +
                    "&count=" + std::to_string(kCount) + "&delay=" + std::to_string(kDelayMs) +
                    "&wait=" + std::to_string(kWaitMs) + "&n=/paced.bin");
}

class PacedServer : public ::testing::Test {
protected:
    ScriptedHttpServer http;
    TempDir program;
};

TEST_F(PacedServer, TheRateCountsNoByteAtZeroTimeAndTheHistoryHoldsTheSameFigures) {
    const EndedRun run = RunWorkerForEnding(PacedUrl(http), program.path());
    ASSERT_EQ(run.returned, OutcomeFinished);
    ASSERT_TRUE(run.ending.has_value());
    const TestMeasurement& m = run.ending->measurement;
    EXPECT_EQ(m.bytes, kBytes);

    // The server sent nothing before kWait, and its last chunk kCount pauses after that: the
    // clock must have seen both, however fast or slow this machine is.
    const double wait = kWaitMs / 1000.0;
    const double paced = kCount * kDelayMs / 1000.0;
    ASSERT_TRUE(TimeToFirstByteSeconds(m).has_value());
    ASSERT_TRUE(TotalSeconds(m).has_value());
    EXPECT_GE(*TimeToFirstByteSeconds(m), wait);
    EXPECT_GE(*TotalSeconds(m), wait + paced);
    EXPECT_DOUBLE_EQ(*TimeToFirstByteSeconds(m) + *TransferSeconds(m), *TotalSeconds(m));

    // Hence the rate is bounded by what the pacing allows. Timed from the first read, the first
    // chunk (almost all of the bytes) would count at zero time: kFirst bytes in no time at all.
    const double bound = static_cast<double>(kBytes) * 8 / 1e6 / (wait + paced);
    ASSERT_TRUE(RateMegabitsPerSecond(m).has_value());
    EXPECT_LE(*RateMegabitsPerSecond(m), bound);
    EXPECT_GT(*RateMegabitsPerSecond(m), 0);

    // The history holds the same figures as the ending.
    const TestEnding& ending = *run.ending;
    EXPECT_TRUE(ending.recorded) << ending.historyProblem;
    EXPECT_EQ(ending.serverAddress, "127.0.0.1:" + std::to_string(http.port()));
    EXPECT_EQ(ending.destinationPath, program.file("paced.bin"));

    HistoryReader reader;
    ASSERT_TRUE(reader.open(program.file(HistoryFileName))) << reader.problem();
    const auto rows = reader.rows(HistoryOrder::NewestFirst);
    ASSERT_EQ(rows.size(), 1u) << "the report had no block before: nothing to import";
    const HistoryRow& row = rows[0];
    EXPECT_EQ(row.url, ending.url);
    EXPECT_EQ(row.outcome, 0u);
    EXPECT_EQ(row.bytes, kBytes);
    // Stored as the doubles they are: whoever shows them shows the same numbers.
    EXPECT_EQ(row.firstByteSeconds, TimeToFirstByteSeconds(ending.measurement));
    EXPECT_EQ(row.transferSeconds, TransferSeconds(ending.measurement));
    EXPECT_EQ(row.totalSeconds, TotalSeconds(ending.measurement));
    EXPECT_EQ(row.megabitsPerSecond, RateMegabitsPerSecond(ending.measurement));
    EXPECT_EQ(row.serverAddress, ending.serverAddress);
    EXPECT_EQ(row.program, "Corvanite");
    EXPECT_FALSE(row.wholeSeconds);
}

struct EndingCase {
    const char* name;
    std::string path;  // on the scripted server; empty: a port where nothing listens
    unsigned outcome;
    bool figures;       // a measured transfer
    const char* cause;  // part of the cause; null: none
};

class EveryEnding : public ::testing::TestWithParam<EndingCase> {
protected:
    ScriptedHttpServer http;
    TempDir program;
};

TEST_P(EveryEnding, IsRecordedWithWhatItGotTo) {
    const EndingCase& c = GetParam();
    const std::string url = c.path.empty() ? "http://127.0.0.1:1/nothing.bin" : http.url(c.path);
    const EndedRun run = RunWorkerForEnding(url, program.path());
    ASSERT_EQ(run.returned, c.outcome);
    ASSERT_TRUE(run.ending.has_value());
    EXPECT_EQ(run.ending->outcome, c.outcome);
    EXPECT_TRUE(run.ending->recorded) << run.ending->historyProblem;
    if (c.cause != nullptr) {
        EXPECT_NE(run.ending->cause.find(c.cause), std::string::npos) << run.ending->cause;
    } else {
        EXPECT_EQ(run.ending->cause, "");
    }
    HistoryReader reader;
    ASSERT_TRUE(reader.open(program.file(HistoryFileName))) << reader.problem();
    const auto rows = reader.rows(HistoryOrder::NewestFirst);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].outcome, c.outcome);
    EXPECT_EQ(rows[0].totalSeconds.has_value(), c.figures);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EveryEnding,
    ::testing::Values(
        EndingCase{"NotFound", "/status?code=404&x=a.bin", OutcomeOpenUrlException, false,
                   "HTTP status 404 Not Found"},
        EndingCase{"Refused", "", OutcomeOpenUrlException, false, "onnect"},
        EndingCase{"NoLength", "/nolength?size=10", OutcomeNoHttpLength, false, nullptr},
        EndingCase{"Dropped", "/drop?size=100000&after=5000&n=/drop.bin", OutcomeOpenUrlException,
                   true, ""},
        EndingCase{"NoFileName", "/data?size=10", OutcomeNoFileName, false, nullptr},
        EndingCase{"Finished", "/data?size=10&n=/data.bin", OutcomeFinished, true, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A history that cannot be written, made so before the test.
struct BrokenHistory {
    const char* name;
    void (*breakIt)(const TempDir& program, sqlite3** holder);
    const char* problem;  // part of the problem told
};

void Corrupt(const TempDir& program, sqlite3**) {
    writeFile(program.file(HistoryFileName), std::string(8192, 'x'));
}

void Newer(const TempDir& program, sqlite3**) {
    sqlite3* db = nullptr;
    sqlite3_open(program.file(HistoryFileName).c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void Locked(const TempDir& program, sqlite3** holder) {
    sqlite3_open(program.file(HistoryFileName).c_str(), holder);
    sqlite3_exec(*holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
}

// The log beside it cannot be made, so nothing can be written to the history.
void Unwritable(const TempDir& program, sqlite3**) {
    std::filesystem::create_directory(program.file(std::string(HistoryFileName) + "-wal"));
}

class HistoryThatCannotBeWritten : public ::testing::TestWithParam<BrokenHistory> {
protected:
    ScriptedHttpServer http;
    TempDir program;
};

TEST_P(HistoryThatCannotBeWritten, StillEndsTheTestWithItsReportBlock) {
    sqlite3* holder = nullptr;
    GetParam().breakIt(program, &holder);
    const EndedRun run =
        RunWorkerForEnding(http.url("/data?size=5000&n=/data.bin"), program.path());
    sqlite3_close(holder);
    ASSERT_EQ(run.returned, OutcomeFinished);
    ASSERT_TRUE(run.ending.has_value());
    EXPECT_FALSE(run.ending->recorded);
    EXPECT_NE(run.ending->historyProblem.find(GetParam().problem), std::string::npos)
        << run.ending->historyProblem;
    EXPECT_NE(run.ending->historyProblem.find(program.file(HistoryFileName)), std::string::npos);
    EXPECT_EQ(ReportBlocks(readFile(program.file("BandWidth_TestRpt.txt"))), 1);
    EXPECT_EQ(FileSize(program.file("data.bin")), 5000u);
}

INSTANTIATE_TEST_SUITE_P(Cases, HistoryThatCannotBeWritten,
                         ::testing::Values(BrokenHistory{"Corrupt", Corrupt, "damaged"},
                                           BrokenHistory{"Newer", Newer, "newer version"},
                                           BrokenHistory{"Locked", Locked, "locked"},
                                           BrokenHistory{"Unwritable", Unwritable,
                                                         "reading or writing it failed"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
