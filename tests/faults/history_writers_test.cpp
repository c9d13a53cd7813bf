// The dialog's tests and corvanite-cli's, run at the same moment against one folder, are all
// recorded in its history: the one that waits for the report or the history loses nothing.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "history/history_reader.h"
#include "history/history_store.h"
#include "tests/support/child_process.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

using namespace testsupport;

namespace {

TEST(HistoryWriters, TheDialogAndTheCommandLineRecordingAtOnceLoseNoTest) {
    TempDir served;
    TempDir program;
    TempDir logs;
    writePatternFile(served.file("a.bin"), 300000);
    writePatternFile(served.file("b.bin"), 300000);
    NginxServer nginx(served.path());
    // corvanite-cli keeps its files beside itself: a copy in the folder both test in.
    const std::string cli = program.file("corvanite-cli");
    std::filesystem::copy_file(CORVANITE_CLI_PROGRAM, cli);

    const int runs = 12;
    ChildProcess dialog({CORVANITE_FAULT_DRIVER, nginx.url("/a.bin"), program.path(),
                         std::to_string(runs), "Corvanite"},
                        logs.file("dialog.txt"));
    ChildProcess commandLine(
        {cli, "--quiet", "--repeat", std::to_string(runs), nginx.url("/b.bin")},
        logs.file("cli.txt"));
    ASSERT_TRUE(waitUntil([&] { return !dialog.running() && !commandLine.running(); },
                          std::chrono::seconds(240)));

    HistoryReader reader;
    ASSERT_TRUE(reader.open(program.file(HistoryFileName))) << reader.problem();
    int fromDialog = 0;
    int fromCli = 0;
    reader.forEach(HistoryOrder::OldestFirst, std::nullopt, [&](const HistoryRow& row) {
        // Finished, or refused the report while the other held it: recorded either way.
        EXPECT_TRUE(row.outcome == 0 || row.outcome == 107) << row.outcome;
        if (row.program == "Corvanite") {
            EXPECT_EQ(row.url, nginx.url("/a.bin"));
            ++fromDialog;
        } else if (row.program == "corvanite-cli") {
            EXPECT_EQ(row.url, nginx.url("/b.bin"));
            ++fromCli;
        }
    });
    EXPECT_EQ(fromDialog, runs) << readFile(logs.file("dialog.txt"));
    EXPECT_EQ(fromCli, runs) << readFile(logs.file("cli.txt"));
    const std::string told = readFile(logs.file("cli.txt"));
    EXPECT_EQ(told.find("not being added"), std::string::npos) << told;
}

}  // namespace
