#include "bandwidth/worker.h"
#include "bandwidth/running_workers.h"

#include <future>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/worker_hooks.h"
#include "framework/stdio_file.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/loopback.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const char* const kReport = "BandWidth_TestRpt.txt";

class TestWorkerHttp : public ::testing::Test {
protected:
    std::string report() const { return program.file(kReport); }
    std::string reportText() const { return readFile(report()); }

    TempDir served;   // what nginx serves
    TempDir program;  // the program's directory
};

TEST_F(TestWorkerHttp, DownloadsTheFileAndAppendsOneReport) {
    writePatternFile(served.file("sample.bin"), 100000);
    NginxServer nginx(served.path());
    const std::string url = nginx.url("/sample.bin");

    PollRecorder polls;
    const WorkerResult result = RunWorker(url, program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    std::uint64_t length = 0;
    ASSERT_TRUE(StartedWith(result, &length));
    EXPECT_EQ(length, 100000u);
    const auto counts = ProgressCounts(result);
    ASSERT_FALSE(counts.empty());
    for (std::size_t i = 1; i < counts.size(); ++i) {
        EXPECT_LT(counts[i - 1], counts[i]);
    }
    // At most one progress notification waits at a time, so the counts may skip.
    EXPECT_LE(counts.back(), 100000u);

    const std::string saved = readFile(program.file("sample.bin"));
    EXPECT_EQ(saved.size(), 100000u);
    EXPECT_TRUE(matchesPattern(saved.data(), saved.size()));
    const std::string text = reportText();
    EXPECT_EQ(ReportBlocks(text), 1);
    EXPECT_NE(text.find("Test URL:       " + url + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("Bytes Received: 100000.\r\n"), std::string::npos);
    EXPECT_EQ(polls.visited(), (std::vector<int>{1, 2, 4, 5, 6}));
}

TEST_F(TestWorkerHttp, EmptyFileFinishesWithoutProgress) {
    writeFile(served.file("empty.txt"), "");
    NginxServer nginx(served.path());

    PollRecorder polls;
    const WorkerResult result = RunWorker(nginx.url("/empty.txt"), program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    std::uint64_t length = 1;
    ASSERT_TRUE(StartedWith(result, &length));
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(ProgressCounts(result).empty());
    EXPECT_EQ(polls.visits(6), 0);
    EXPECT_TRUE(FileExists(program.file("empty.txt")));
    EXPECT_EQ(FileSize(program.file("empty.txt")), 0u);
    EXPECT_NE(reportText().find("Bytes Received: 0.\r\n"), std::string::npos);
}

TEST_F(TestWorkerHttp, SecondTestEmptiesTheFileAndAppendsASecondReport) {
    writePatternFile(served.file("twice.bin"), 3000);
    writeFile(program.file("twice.bin"), std::string(10000, 'x'));  // longer than the download
    writeFile(report(), "older content without a line end");
    NginxServer nginx(served.path());

    ExpectWellFormedRun(RunWorker(nginx.url("/twice.bin"), program.path()), OutcomeFinished);
    ExpectWellFormedRun(RunWorker(nginx.url("/twice.bin"), program.path()), OutcomeFinished);

    EXPECT_EQ(readFile(program.file("twice.bin")), patternBytes(3000));
    const std::string text = reportText();
    EXPECT_EQ(text.rfind("older content without a line endInternet Band Width", 0), 0u);
    EXPECT_EQ(ReportBlocks(text), 2);
}

TEST_F(TestWorkerHttp, WindowThatTakesNothingGetsTheFirstAndLastProgressAndTheFinishedLast) {
    writePatternFile(served.file("busy.bin"), 50000);
    NginxServer nginx(served.path());

    const WorkerResult result = RunWorker(nginx.url("/busy.bin"), program.path(), false);

    ExpectWellFormedRun(result, OutcomeFinished);
    // The first count waits untaken; only the final count joins it, so the bar can end full.
    const std::vector<std::uint64_t> counts = ProgressCounts(result);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0], 1u);
    EXPECT_GE(counts[1], 49u);  // 50000 bytes take at least 49 reads of up to 1024
    EXPECT_EQ(result.messages.size(), 4u);
    EXPECT_EQ(FileSize(program.file("busy.bin")), 50000u);
}

// Failures before any local file is touched: no destination, no report file.
struct EarlyFailure {
    const char* name;
    std::string path;  // on the scripted server
    unsigned outcome;
};

class TestWorkerEarlyFailure : public ::testing::TestWithParam<EarlyFailure> {};

TEST_P(TestWorkerEarlyFailure, EndsBeforeAnyLocalFile) {
    const EarlyFailure& c = GetParam();
    ScriptedHttpServer http;
    TempDir program;

    const WorkerResult result = RunWorker(http.url(c.path), program.path());

    ExpectWellFormedRun(result, c.outcome);
    std::uint64_t length = 0;
    EXPECT_FALSE(StartedWith(result, &length));
    EXPECT_FALSE(FileExists(program.file("f.bin")));
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

INSTANTIATE_TEST_SUITE_P(
    Http, TestWorkerEarlyFailure,
    ::testing::Values(
        EarlyFailure{"NoContentLength", "/nolength?size=1000&n=/f.bin", OutcomeNoHttpLength},
        EarlyFailure{"Chunked", "/chunked?size=3000&n=/f.bin", OutcomeNoHttpLength},
        // A server's error page is not the file: the URL is reported as not opened.
        EarlyFailure{"NotFound", "/status?code=404&n=/f.bin", OutcomeOpenUrlException},
        EarlyFailure{"ServerError", "/status?code=500&n=/f.bin", OutcomeOpenUrlException},
        // A plain GET asks for the whole file: no other success is the file.
        EarlyFailure{"PartialContent", "/status?code=206&n=/f.bin", OutcomeOpenUrlException},
        EarlyFailure{"Created", "/status?code=201&n=/f.bin", OutcomeOpenUrlException},
        EarlyFailure{"NotAuthoritative", "/status?code=203&n=/f.bin", OutcomeOpenUrlException},
        EarlyFailure{"NoDotInName", "/data?size=10", OutcomeNoFileName},
        EarlyFailure{"EndsInSlash", "/data?size=10&n=f.bin/", OutcomeNoFileName}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TestWorker, UnreachableServerEndsWith100) {
    TempDir program;
    const WorkerResult result =
        RunWorker("http://127.0.0.1:" + std::to_string(freeTcpPort()) + "/f.bin", program.path());
    ExpectWellFormedRun(result, OutcomeOpenUrlException);
    EXPECT_FALSE(FileExists(program.file("f.bin")));
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

TEST(TestWorker, StopDuringAFailingOpenStillEndsWith100) {
    // The stop is already there when the open fails: the failure comes before the first poll.
    TempDir program;
    CancelRequest = 2;
    const WorkerResult result =
        RunWorker("http://127.0.0.1:" + std::to_string(freeTcpPort()) + "/f.bin", program.path());
    CancelRequest = 0;
    ExpectWellFormedRun(result, OutcomeOpenUrlException);
}

TEST(TestWorker, MissingLocalFileUrlEndsWith100) {
    TempDir program;
    const WorkerResult result = RunWorker("file://" + program.file("none.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeOpenUrlException);
}

TEST(TestWorker, LocalFileUrlIsNotAServiceItTests) {
    TempDir program;
    TempDir elsewhere;
    writePatternFile(elsewhere.file("local.bin"), 100);
    const WorkerResult result = RunWorker("file://" + elsewhere.file("local.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeUnsupportedService);
    EXPECT_FALSE(FileExists(program.file("local.bin")));
}

TEST(TestWorker, HttpsServerNobodyTrustsEndsWith100) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("tls.bin"), 100);
    NginxServer nginx(served.path(), {.tls = true});
    const WorkerResult result = RunWorker(nginx.httpsUrl("/tls.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeOpenUrlException);
    EXPECT_FALSE(FileExists(program.file("tls.bin")));
}

TEST(TestWorker, UrlThatOpensButDoesNotSplitEndsWith101) {
    // A path longer than the splitter's room: the request still goes out.
    ScriptedHttpServer http;
    TempDir program;
    const WorkerResult result =
        RunWorker(http.url("/" + std::string(2100, 'p') + "/f.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeUrlNotParsed);
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

TEST(TestWorker, ReadFailingMidwayEndsWith100AndAppendsNothing) {
    ScriptedHttpServer http;
    TempDir program;
    writeFile(program.file(kReport), "kept");

    const WorkerResult result =
        RunWorker(http.url("/drop?size=100000&after=20000&n=/f.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeOpenUrlException);
    EXPECT_EQ(readFile(program.file(kReport)), "kept");
    // A body cut short leaves no file that could pass for the whole one.
    EXPECT_FALSE(FileExists(program.file("f.bin")));
}

TEST(TestWorker, LengthPast4GiBReachesTheStartedNotification) {
    ScriptedHttpServer http;
    TempDir program;
    const std::uint64_t fiveGiB = 5ULL << 30;

    // The server announces 5 GiB, sends 5000 bytes and drops the connection.
    const WorkerResult result =
        RunWorker(http.url("/drop?size=" + std::to_string(fiveGiB) + "&after=5000&n=/big.bin"),
                  program.path());

    ExpectWellFormedRun(result, OutcomeOpenUrlException);
    std::uint64_t length = 0;
    ASSERT_TRUE(StartedWith(result, &length));
    EXPECT_EQ(length, fiveGiB);
    EXPECT_FALSE(FileExists(program.file("big.bin")));
    EXPECT_EQ(FileSize(program.file(kReport)), 0u);
}

// Destination names that must not be created.
struct RefusedName {
    const char* name;
    std::string suffix;  // appended to the served path's query
};

class TestWorkerRefusedName : public ::testing::TestWithParam<RefusedName> {};

TEST_P(TestWorkerRefusedName, EndsWith106BeforeTheReport) {
    ScriptedHttpServer http;
    TempDir program;
    const WorkerResult result =
        RunWorker(http.url("/data?size=10&n=" + GetParam().suffix), program.path());
    ExpectWellFormedRun(result, OutcomeDestinationFailed);
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

INSTANTIATE_TEST_SUITE_P(Http, TestWorkerRefusedName,
                         ::testing::Values(RefusedName{"Dot", "/."}, RefusedName{"DotDot", "/.."},
                                           RefusedName{"TooLong",
                                                       "/" + std::string(300, 'n') + ".bin"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TestWorker, PlantedLinkIsNotFollowed) {
    ScriptedHttpServer http;
    TempDir program;
    TempDir elsewhere;
    writeFile(elsewhere.file("precious.txt"), "precious");
    ASSERT_EQ(symlink(elsewhere.file("precious.txt").c_str(), program.file("f.bin").c_str()), 0);

    const WorkerResult result = RunWorker(http.url("/data?size=5000&n=/f.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeDestinationFailed);
    EXPECT_EQ(readFile(elsewhere.file("precious.txt")), "precious");
}

TEST(TestWorker, DestinationHeldByAnotherWriterIsLeftAlone) {
    ScriptedHttpServer http;
    TempDir program;
    writeFile(program.file("f.bin"), "held");
    const int holder = open(program.file("f.bin").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

    const WorkerResult result = RunWorker(http.url("/data?size=5000&n=/f.bin"), program.path());
    close(holder);

    ExpectWellFormedRun(result, OutcomeDestinationFailed);
    EXPECT_EQ(readFile(program.file("f.bin")), "held");
}

// Another test appending its block while this one starts: this one runs all the same and
// appends its own block after the other's.
TEST(TestWorker, ReportHeldByAnotherWriterAtTheStartGetsTheBlockAfterTheirs) {
    ScriptedHttpServer http;
    TempDir program;
    writeFile(program.file(kReport), "other writer's");
    const int holder = open(program.file(kReport).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    SetTestWorkerEndOfDataObserver([holder] {
        ASSERT_EQ(write(holder, " block", 6), 6);
        close(holder);
    });

    const WorkerResult result = RunWorker(http.url("/data?size=5000&n=/f.bin"), program.path());
    SetTestWorkerEndOfDataObserver({});

    ExpectWellFormedRun(result, OutcomeFinished);
    EXPECT_EQ(readFile(program.file("f.bin")), patternBytes(5000));
    const std::string report = readFile(program.file(kReport));
    EXPECT_EQ(report.rfind("other writer's block", 0), 0u);
    EXPECT_EQ(ReportBlocks(report), 1);
}

// Opening yields no file object: the platform here always gives one for the URLs it opens, so
// the test takes the file away through the worker's filter.
class NoRemoteFile {
public:
    explicit NoRemoteFile(int stopValue = 0) {
        SetTestWorkerRemoteFileFilter([stopValue](CStdioFile* opened) -> CStdioFile* {
            delete opened;
            CancelRequest = stopValue;  // as if asked for while the URL was being opened
            return nullptr;
        });
    }
    ~NoRemoteFile() {
        SetTestWorkerRemoteFileFilter({});
        CancelRequest = 0;
    }
};

TEST(TestWorker, NoRemoteFileEndsWith108) {
    ScriptedHttpServer http;
    TempDir program;
    NoRemoteFile none;
    const WorkerResult result = RunWorker(http.url("/data?size=10&n=/f.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeNoRemoteFile);
    EXPECT_FALSE(FileExists(program.file("f.bin")));
}

TEST(TestWorker, StopDuringTheOpenComesBeforeTheMissingFile) {
    ScriptedHttpServer http;
    TempDir program;
    NoRemoteFile none(1);
    const WorkerResult result = RunWorker(http.url("/data?size=10&n=/f.bin"), program.path());
    ExpectWellFormedRun(result, OutcomeExitRequested);
}

TEST(TestWorker, WaitForTestWorkersWaitsForTheLastClose) {
    ScriptedHttpServer http;
    TempDir program;
    std::promise<void> atPoll;
    std::promise<void> release;
    auto released = release.get_future().share();
    SetTestWorkerPollObserver([&, released](int point) {
        if (point == 5) {
            atPoll.set_value();
            released.wait();
        }
    });
    TestRequest request{0, http.url("/data?size=3000&n=/f.bin"), program.path()};
    std::thread worker([&] { TestWorker(&request); });
    worker.detach();  // as the dialog starts it

    atPoll.get_future().wait();
    auto waiting =
        std::async(std::launch::async, [] { return WaitForTestWorkers(std::chrono::minutes(5)); });
    EXPECT_NE(waiting.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    release.set_value();
    EXPECT_TRUE(waiting.get());
    SetTestWorkerPollObserver({});

    // Everything was closed and written before the wait returned.
    EXPECT_EQ(ReportBlocks(readFile(program.file(kReport))), 1);
    EXPECT_EQ(FileSize(program.file("f.bin")), 3000u);
}

TEST(TestWorker, WaitForTestWorkersGivesUpOnAWorkerThatHangsInItsClosing) {
    ScriptedHttpServer http;
    TempDir program;
    QueueTarget window;
    std::promise<void> closing;
    std::promise<void> release;
    auto released = release.get_future().share();
    SetTestWorkerClosingObserver([&, released] {
        closing.set_value();
        released.wait();
    });
    TestRequest request{window.window(), http.url("/data?size=3000&n=/f.bin"), program.path()};
    std::thread([&request] { TestWorker(&request); }).detach();

    closing.get_future().wait();
    EXPECT_FALSE(WaitForTestWorkers(std::chrono::milliseconds(20)));
    // What the test wrote is whole before the worker closes its session.
    EXPECT_TRUE(window.waitFor(WM_DOWNLOAD_FINISHED).has_value());
    EXPECT_EQ(ReportBlocks(readFile(program.file(kReport))), 1);
    EXPECT_EQ(FileSize(program.file("f.bin")), 3000u);

    release.set_value();
    EXPECT_TRUE(WaitForTestWorkers(std::chrono::minutes(5)));
    SetTestWorkerClosingObserver({});
}

}  // namespace
