// Faults of the network and of the servers: whatever goes wrong, a test ends with one
// finished notification and a known outcome, leaves only the files it is meant to, and never
// changes the report.
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/loopback.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";
const std::string kEarlierReport = "an earlier report, not ours to change\r\n";

struct NetworkFault {
    const char* name;
    std::string pathAndQuery;  // on the scripted server
    unsigned outcome;
};

// The destination name is the URL's last segment, so every query names a ".bin".
const NetworkFault kFaults[] = {
    {"ResetMidBody", "/drop?size=200000&after=5000&name=.bin", OutcomeOpenUrlException},
    {"StallMidBody", "/stall?size=200000&after=5000&name=.bin", OutcomeOpenUrlException},
    {"StallBeforeHeaders", "/stallheaders?name=.bin", OutcomeOpenUrlException},
    {"RedirectLoop", "/loop?n=0&name=.bin", OutcomeOpenUrlException},
    {"ServerError500", "/status?code=500&name=.bin", OutcomeOpenUrlException},
    {"NotFound404", "/status?code=404&name=.bin", OutcomeOpenUrlException},
    {"NoContentLength", "/nolength?size=5000&name=.bin", OutcomeNoHttpLength},
    {"Chunked", "/chunked?size=5000&name=.bin", OutcomeNoHttpLength},
    {"ShortBody", "/length?length=100000&send=3000&name=.bin", OutcomeOpenUrlException},
};

class NetworkFaults : public ::testing::TestWithParam<NetworkFault> {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<ScriptedHttpServer>(); }
    static void TearDownTestSuite() { server_.reset(); }
    static std::unique_ptr<ScriptedHttpServer> server_;
};
std::unique_ptr<ScriptedHttpServer> NetworkFaults::server_;

TEST_P(NetworkFaults, EndOnceAndLeaveTheReportAlone) {
    const NetworkFault& fault = GetParam();
    // A stalled server is given up after a second or two instead of the platform's 30.
    ShortInternetTimeouts timeouts(std::chrono::seconds(2), std::chrono::seconds(1));
    TempDir program;
    writeFile(program.file(kReport), kEarlierReport);

    const std::string url = server_->url(fault.pathAndQuery);
    const FaultRun run = RunOneTest(url, program.path());

    ExpectOneFinished(run, fault.outcome);
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
    // A test that does not finish leaves no download behind, whole or in part.
    EXPECT_EQ(ListDirectory(program.path()),
              (std::map<std::string, std::int64_t>{{kReport, kEarlierReport.size()}}));
}

INSTANTIATE_TEST_SUITE_P(Http, NetworkFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

// A port that nothing listens on: bound a moment ago and released.
int ClosedPort() {
    return freeTcpPort();
}

TEST(NetworkFaults, ConnectionRefusedEndsWith100BeforeAnyFile) {
    TempDir program;
    const FaultRun run =
        RunOneTest("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/a.bin", program.path());
    ExpectOneFinished(run, OutcomeOpenUrlException);
    EXPECT_TRUE(ListDirectory(program.path()).empty());
}

TEST(NetworkFaults, NameThatCannotResolveEndsWith100BeforeAnyFile) {
    TempDir program;
    FaultRun run;
    std::string why;
    // Inside a network of its own, so that the lookup reaches no resolver off this machine.
    if (!RunInPrivateNetwork(
            [&] {
                ShortInternetTimeouts timeouts(std::chrono::seconds(5), std::chrono::seconds(5));
                run = RunOneTest("http://no-such-host.invalid/a.bin", program.path());
            },
            &why)) {
        GTEST_SKIP() << "no private network: " << why;
    }
    ExpectOneFinished(run, OutcomeOpenUrlException);
    EXPECT_TRUE(ListDirectory(program.path()).empty());
}

}  // namespace
