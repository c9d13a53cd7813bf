// A stop request at each poll point: the run ends with the stop value, the download made until
// then is removed, and the report's content is unchanged.
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const char* const kReport = "BandWidth_TestRpt.txt";
const char* const kEarlier = "an earlier report\r\n";

struct StopCase {
    int poll;
    int visit;  // which visit of the poll asks for the stop
    int value;  // 1 leaving the program, 2 cancelling the test
    bool reportOpened;
};

class TestWorkerStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(TestWorkerStop, EndsWithTheStopValue) {
    const StopCase& c = GetParam();
    TempDir served;
    TempDir program;
    writePatternFile(served.file("stop.bin"), 20000);
    NginxServer nginx(served.path());
    if (c.reportOpened) {
        writeFile(program.file(kReport), kEarlier);
    }

    WorkerResult result;
    {
        StopAtPoll stop(c.poll, c.value, c.visit);
        result = RunWorker(nginx.url("/stop.bin"), program.path());
    }

    ExpectWellFormedRun(result, static_cast<unsigned>(c.value));
    std::uint64_t length = 0;
    EXPECT_EQ(StartedWith(result, &length), c.reportOpened);
    // What a stopped test wrote is removed again.
    EXPECT_FALSE(FileExists(program.file("stop.bin")));
    if (c.reportOpened) {
        EXPECT_EQ(readFile(program.file(kReport)), kEarlier);
    } else {
        EXPECT_FALSE(FileExists(program.file(kReport)));
    }
}

INSTANTIATE_TEST_SUITE_P(Polls, TestWorkerStop,
                         ::testing::Values(StopCase{1, 1, 2, false}, StopCase{2, 1, 2, false},
                                           StopCase{4, 1, 1, false}, StopCase{5, 1, 2, true},
                                           StopCase{6, 1, 2, true}, StopCase{6, 4, 1, true}),
                         [](const auto& info) {
                             return "Poll" + std::to_string(info.param.poll) + "Visit" +
                                    std::to_string(info.param.visit) + "Value" +
                                    std::to_string(info.param.value);
                         });

}  // namespace

namespace {

// Every ending but success closes the files before the finished notification.
TEST(TestWorkerRelease, FilesAreClosedBeforeAStopIsReported) {
    for (int poll : {5, 6}) {
        TempDir served;
        TempDir program;
        writePatternFile(served.file("r.bin"), 20000);
        NginxServer nginx(served.path());
        bool destinationGone = false;
        bool reportFree = false;
        StopAtPoll stop(poll, 2, poll == 6 ? 3 : 1);
        const WorkerResult result =
            RunWorkerWatchingFinish(nginx.url("/r.bin"), program.path(), [&] {
                destinationGone = !FileExists(program.file("r.bin"));
                reportFree = WriteLockFree(program.file(kReport));
            });
        SCOPED_TRACE(poll);
        ExpectWellFormedRun(result, OutcomeCancelled);
        EXPECT_TRUE(destinationGone);
        EXPECT_TRUE(reportFree);
    }
}

TEST(TestWorkerRelease, FilesAreClosedBeforeAFailureIsReported) {
    ScriptedHttpServer http;
    TempDir program;
    bool destinationGone = false;
    bool reportFree = false;
    const WorkerResult result = RunWorkerWatchingFinish(
        http.url("/drop?size=100000&after=30000&n=/d.bin"), program.path(), [&] {
            destinationGone = !FileExists(program.file("d.bin"));
            reportFree = WriteLockFree(program.file(kReport));
        });
    ExpectWellFormedRun(result, OutcomeOpenUrlException);
    EXPECT_TRUE(destinationGone);
    EXPECT_TRUE(reportFree);
}

TEST(TestWorkerRelease, SuccessHasBothFilesWrittenBeforeItIsReported) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("w.bin"), 300000);
    NginxServer nginx(served.path());
    std::string savedAtFinish;
    std::string reportAtFinish;
    const WorkerResult result = RunWorkerWatchingFinish(nginx.url("/w.bin"), program.path(), [&] {
        savedAtFinish = readFile(program.file("w.bin"));
        reportAtFinish = readFile(program.file(kReport));
    });
    ExpectWellFormedRun(result, OutcomeFinished);
    EXPECT_EQ(savedAtFinish, patternBytes(300000));
    EXPECT_NE(reportAtFinish.find("Bytes Received: 300000.\r\n"), std::string::npos);
    EXPECT_EQ(readFile(program.file(kReport)), reportAtFinish);
}

}  // namespace
