// Crash safety of the report: a program killed at any moment of a test leaves the report as
// it was or with whole blocks added, and two copies testing at once never mix their blocks.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

extern char** environ;

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";
const std::string kEarlierReport = "an earlier report, not ours to change\r\n";

// The driver program started with its output going to a file.
pid_t StartDriver(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& outputPath) {
    std::vector<std::string> all{program};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Waits for the driver to end; true when it ended by itself with status 0.
bool EndedWell(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The outcomes a driver printed.
std::vector<unsigned> Outcomes(const std::string& output) {
    std::vector<unsigned> outcomes;
    std::size_t at = 0;
    while ((at = output.find("outcome ", at)) != std::string::npos) {
        outcomes.push_back(static_cast<unsigned>(std::stoul(output.substr(at + 8))));
        at += 8;
    }
    return outcomes;
}

// The report after the earlier content: whole blocks only; their count, or -1.
int BlocksAfterEarlier(const std::string& report) {
    if (report.compare(0, kEarlierReport.size(), kEarlierReport) != 0) {
        return -1;
    }
    int blocks = 0;
    return IsWholeReportBlocks(report.substr(kEarlierReport.size()), &blocks) ? blocks : -1;
}

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override {
        writePatternFile(served.file("a.bin"), 200000);
        writePatternFile(served.file("b.bin"), 200000);
        writeFile(program.file(kReport), kEarlierReport);
    }

    TempDir served;
    TempDir program;
    TempDir scratch;
};

TEST_F(CrashSafety, KillAtAnyMomentLeavesTheReportAsItWasOrWithWholeBlocks) {
    NginxServer nginx(served.path());
    const std::string url = nginx.url("/a.bin");
    const std::string output = scratch.file("out.txt");

    // How long one run of the program takes here, start-up included: the kills fall within it.
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(EndedWell(StartDriver(CORVANITE_FAULT_DRIVER, {url, program.path()}, output)));
    const auto oneRun = std::chrono::steady_clock::now() - before;
    ASSERT_EQ(Outcomes(readFile(output)), std::vector<unsigned>{0});
    int blocks = 1;
    ASSERT_EQ(BlocksAfterEarlier(readFile(program.file(kReport))), blocks);

    std::mt19937 random(20261208);
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(oneRun).count();
    std::uniform_int_distribution<long> moment(0, span + span / 4);
    int killed = 0;
    int completed = 0;
    for (int i = 0; i < 40; ++i) {
        const pid_t pid = StartDriver(CORVANITE_FAULT_DRIVER, {url, program.path()}, output);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(pid, SIGKILL);
        const bool ended = EndedWell(pid);
        killed += ended ? 0 : 1;
        completed += ended ? 1 : 0;

        const int now = BlocksAfterEarlier(readFile(program.file(kReport)));
        ASSERT_GE(now, 0) << "a broken block after kill " << i;
        // A run that ended by itself added its block; a killed one added a whole one or none.
        if (ended) {
            EXPECT_EQ(now - blocks, 1) << "run " << i;
        }
        EXPECT_GE(now - blocks, 0) << "kill " << i;
        EXPECT_LE(now - blocks, 1) << "kill " << i;
        blocks = now;
    }
    // The lock of a killed writer went with it: the next run writes its block.
    ASSERT_TRUE(EndedWell(StartDriver(CORVANITE_FAULT_DRIVER, {url, program.path()}, output)));
    EXPECT_EQ(Outcomes(readFile(output)), std::vector<unsigned>{0});
    EXPECT_EQ(BlocksAfterEarlier(readFile(program.file(kReport))), blocks + 1);
    std::printf("killed %d runs, %d ended before the kill\n", killed, completed);
}

TEST_F(CrashSafety, TwoCopiesUnderDifferentNamesNeverMixTheirBlocks) {
    NginxServer nginx(served.path());
    // Two copies of the program under names of their own.
    const std::string first = scratch.file("corvanite-one");
    const std::string second = scratch.file("corvanite-two");
    std::filesystem::copy_file(CORVANITE_FAULT_DRIVER, first);
    std::filesystem::copy_file(CORVANITE_FAULT_DRIVER, second);

    const int runs = 15;
    const pid_t one =
        StartDriver(first, {nginx.url("/a.bin"), program.path(), std::to_string(runs)},
                    scratch.file("one.txt"));
    const pid_t two =
        StartDriver(second, {nginx.url("/b.bin"), program.path(), std::to_string(runs)},
                    scratch.file("two.txt"));
    ASSERT_GT(one, 0);
    ASSERT_GT(two, 0);
    ASSERT_TRUE(EndedWell(one));
    ASSERT_TRUE(EndedWell(two));

    int finished = 0;
    for (const char* name : {"one.txt", "two.txt"}) {
        const std::vector<unsigned> outcomes = Outcomes(readFile(scratch.file(name)));
        EXPECT_EQ(outcomes.size(), static_cast<std::size_t>(runs));
        for (unsigned outcome : outcomes) {
            // While one copy holds the report, the other cannot open it.
            EXPECT_TRUE(outcome == OutcomeFinished || outcome == OutcomeReportFailed) << outcome;
            finished += outcome == OutcomeFinished ? 1 : 0;
        }
    }
    const std::string report = readFile(program.file(kReport));
    EXPECT_EQ(BlocksAfterEarlier(report), finished);
    std::printf("%d of %d runs wrote their block\n", finished, 2 * runs);
}

// A copy of the program in its own folder, under a name with a dot: its executable and the
// help page named after it are its own files, never a test's destination.
TEST_F(CrashSafety, ACopyNeverSavesOverItsOwnExecutableOrHelpPage) {
    ScriptedHttpServer http;
    const std::string copy = program.file("Meter.bin");
    std::filesystem::copy_file(CORVANITE_FAULT_DRIVER, copy);
    writeFile(program.file("Meter.html"), "the help page");
    const std::string executable = readFile(copy);

    for (const char* name : {"Meter.bin", "Meter.html"}) {
        const std::string output = scratch.file(std::string(name) + ".txt");
        ASSERT_TRUE(EndedWell(StartDriver(
            copy, {http.url("/data?size=5000&n=/" + std::string(name)), program.path()}, output)));
        EXPECT_EQ(Outcomes(readFile(output)), std::vector<unsigned>{OutcomeDestinationFailed})
            << name;
    }
    EXPECT_EQ(readFile(copy), executable);
    EXPECT_EQ(readFile(program.file("Meter.html")), "the help page");
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

}  // namespace
