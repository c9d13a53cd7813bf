// The history between processes: writers recording at the same moment lose nothing, and a
// writer killed at any moment leaves a history that reads whole, with every row it committed.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "history/history_reader.h"
#include "history/history_store.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

using namespace testsupport;

namespace {

// The lines of a driver's output that begin with prefix.
int Lines(const std::string& output, const std::string& prefix) {
    int count = 0;
    std::size_t at = 0;
    while ((at = output.find(prefix, at)) != std::string::npos) {
        if (at == 0 || output[at - 1] == '\n') {
            ++count;
        }
        at += prefix.size();
    }
    return count;
}

bool Ended(ChildProcess& child) {
    return waitUntil([&] { return !child.running(); }, std::chrono::seconds(120));
}

std::string IntegrityOf(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

std::size_t RowsOf(const std::string& directory, const std::string& program) {
    HistoryReader reader;
    EXPECT_TRUE(reader.open(directory + "/" + HistoryFileName)) << reader.problem();
    std::size_t count = 0;
    reader.forEach(HistoryOrder::OldestFirst, std::nullopt,
                   [&](const HistoryRow& row) { count += row.program == program ? 1 : 0; });
    return count;
}

TEST(HistoryProcesses, WritersRecordingAtOnceLoseNothing) {
    TempDir dir;
    TempDir logs;
    const int count = 150;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (const char* name : {"one", "two", "three"}) {
        writers.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{CORVANITE_HISTORY_DRIVER, dir.path(), std::to_string(count),
                                     name},
            logs.file(std::string(name) + ".txt")));
    }
    for (auto& writer : writers) {
        ASSERT_TRUE(Ended(*writer));
    }
    for (const char* name : {"one", "two", "three"}) {
        const std::string output = readFile(logs.file(std::string(name) + ".txt"));
        EXPECT_EQ(Lines(output, "recorded "), count) << output.substr(0, 2000);
        EXPECT_EQ(RowsOf(dir.path(), name), static_cast<std::size_t>(count));
    }
    EXPECT_EQ(IntegrityOf(dir.file(HistoryFileName)), "ok");
}

TEST(HistoryProcesses, AWriterKilledAtAnyMomentLeavesAWholeHistory) {
    TempDir dir;
    TempDir logs;
    std::mt19937 random(20261208);
    const int kills = 12;
    for (int i = 0; i < kills; ++i) {
        const std::size_t before = i == 0 ? 0 : RowsOf(dir.path(), "killed");
        const std::string log = logs.file("run" + std::to_string(i) + ".txt");
        ChildProcess writer({CORVANITE_HISTORY_DRIVER, dir.path(), "100000", "killed"}, log);
        // Killed once it has committed a few rows, in the middle of whatever it does then.
        const int some = 1 + static_cast<int>(random() % 40);
        ASSERT_TRUE(waitUntil([&] { return Lines(readFile(log), "recorded ") >= some; },
                              std::chrono::seconds(60)));
        ::kill(writer.pid(), SIGKILL);
        ASSERT_TRUE(Ended(writer));
        const auto reported = static_cast<std::size_t>(Lines(readFile(log), "recorded "));

        ASSERT_EQ(IntegrityOf(dir.file(HistoryFileName)), "ok") << "after kill " << i;
        // Every row reported committed is there; at most the one it was committing more.
        const std::size_t rows = RowsOf(dir.path(), "killed");
        EXPECT_GE(rows, before + reported) << "after kill " << i;
        EXPECT_LE(rows, before + reported + 1) << "after kill " << i;
    }
    // The next writer records as usual.
    ChildProcess writer({CORVANITE_HISTORY_DRIVER, dir.path(), "3", "after"}, logs.file("after"));
    ASSERT_TRUE(Ended(writer));
    EXPECT_EQ(RowsOf(dir.path(), "after"), 3u);
}

}  // namespace
