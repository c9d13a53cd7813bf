// What the worker asks of servers and how it takes their answers: every cache stood aside,
// an https or gopher URL that opens, an FTP server on a port of its own or one that will not
// tell a file's size.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "services/app_services.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/common/message_box_answers.h"
#include "tests/support/ftp_server.h"
#include "tests/support/gopher_server.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const char* const kReport = "BandWidth_TestRpt.txt";

TEST(TestWorkerRequest, AsksEveryCacheOnTheWayToStandAside) {
    ScriptedHttpServer http;
    TempDir program;

    ExpectWellFormedRun(RunWorker(http.url("/data?size=100&n=/f.bin"), program.path()),
                        OutcomeFinished);

    const std::vector<RecordedRequest> requests = http.requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& request = requests[0];
    EXPECT_EQ(request.header("Cache-Control"), "no-cache") << request.raw;
    EXPECT_EQ(request.header("Pragma"), "no-cache") << request.raw;
}

// Opened, but neither HTTP nor FTP: the worker ends with 104 before any local file.
TEST(TestWorkerService, TrustedHttpsUrlThatOpensEndsWith104) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("tls.bin"), 100);
    NginxServer nginx(served.path(), {.tls = true});
    ScopedEnvironment environment;
    environment.set("SSL_CERT_FILE", nginx.certificateFile());

    const WorkerResult result = RunWorker(nginx.httpsUrl("/tls.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeUnsupportedService);
    EXPECT_FALSE(FileExists(program.file("tls.bin")));
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

TEST(TestWorkerService, GopherUrlThatOpensEndsWith104) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("g.bin"), 100);
    GopherServer gopher(served.path());

    const WorkerResult result = RunWorker(gopher.url("/g.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeUnsupportedService);
    EXPECT_EQ(gopher.selectors(), std::vector<std::string>{"/g.bin"});
    EXPECT_FALSE(FileExists(program.file("g.bin")));
    EXPECT_FALSE(FileExists(program.file(kReport)));
}

// FTP servers on a port the URL names: the size probe asks the same server as the download.
class TestWorkerFtpPort : public ::testing::Test {
protected:
    TestWorkerFtpPort() { writePatternFile(served.file("probe.bin"), 70000); }

    TempDir served;
    TempDir program;
    MessageBoxAnswers boxes;
};

TEST_F(TestWorkerFtpPort, ProbeAsksTheUrlsPort) {
    FtpServer ftp(served.path());
    ASSERT_NE(ftp.port(), 21);

    const WorkerResult result = RunWorker(ftp.url("/probe.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    std::uint64_t length = 0;
    ASSERT_TRUE(StartedWith(result, &length));
    EXPECT_EQ(length, 70000u);
    EXPECT_EQ(readFile(program.file("probe.bin")), patternBytes(70000));
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(TestWorkerFtpPort, ProbeTurnedAwayEndsWith103AfterTwoBoxes) {
    // One connection per address: the download's stands, the probe's is turned away.
    FtpServer ftp(served.path(), {.connectionsPerAddress = 1});

    const WorkerResult result = RunWorker(ftp.url("/probe.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeFtpProbeFailed);
    ASSERT_EQ(boxes.count(), 2u);
    const auto calls = boxes.calls();
    EXPECT_EQ(calls[0].text.rfind("InternetConnect Fails: ", 0), 0u) << calls[0].text;
    EXPECT_EQ(calls[1].caption, ApplicationName());
    EXPECT_EQ(calls[1].text.rfind("Internet Error: 421", 0), 0u) << calls[1].text;
    EXPECT_FALSE(FileExists(program.file("probe.bin")));
}

// A server that will not tell the size: the download does not need it.
class TestWorkerFtpSizeRefused : public TestWorkerFtpPort,
                                 public ::testing::WithParamInterface<int> {};

TEST_P(TestWorkerFtpSizeRefused, DownloadsTheWholeFileOfUnknownSize) {
    FtpServer ftp(served.path(), {.refuseSize = GetParam()});

    const WorkerResult result = RunWorker(ftp.url("/probe.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    std::uint64_t length = 0;
    ASSERT_TRUE(StartedWith(result, &length));
    EXPECT_EQ(length, 0xFFFFFFFFu);
    EXPECT_EQ(readFile(program.file("probe.bin")), patternBytes(70000));
    EXPECT_NE(readFile(program.file(kReport)).find("Bytes Received: 70000.\r\n"),
              std::string::npos);
    EXPECT_EQ(boxes.count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Reply, TestWorkerFtpSizeRefused, ::testing::Values(500, 550),
                         [](const auto& info) { return "Size" + std::to_string(info.param); });

}  // namespace
