// corvanite-cli taking its tests to monitoring systems, each a real server on loopback: the
// textfile that promtool checks and node_exporter serves, the Pushgateway, InfluxDB 1.x, and
// desktop notifications on a session bus of the test's own.
#include <memory>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace {

using clitest::CliExit;
using clitest::CliFolder;
using clitest::RunCli;
using testsupport::ChildProcess;
using testsupport::TempDir;

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// A server program told to listen on port, ready once it answers HTTP at readyPath.
class LoopbackServer {
public:
    LoopbackServer(int port, const std::vector<std::string>& argv, const std::string& readyPath)
        : port_(port) {
        process_ = std::make_unique<ChildProcess>(argv, dir_.file("server.log"));
        ready_ = testsupport::waitUntil(
            [&] { return !testsupport::loopbackHttpGet(port_, readyPath).empty(); });
    }
    bool ready() const { return ready_; }
    std::string url(const std::string& path = "") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    std::string get(const std::string& path) const {
        return testsupport::loopbackHttpGet(port_, path);
    }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    int port_;
    std::unique_ptr<ChildProcess> process_;
    bool ready_ = false;
};

class Monitoring : public ::testing::Test {
protected:
    Monitoring() {
        testsupport::writePatternFile(www_.file("f.bin"), 20000);
        // Separators of both formats in the URL, which each must escape.
        testsupport::writePatternFile(www_.file("a,b=c.bin"), 10000);
    }
    CliExit Test(std::vector<std::string> arguments, const clitest::CliLaunch& launch = {}) {
        arguments.insert(arguments.begin(), "--quiet");
        return RunCli(cli_.program(), arguments, launch);
    }
    TempDir www_;
    testsupport::NginxServer nginx_{www_.path()};
    CliFolder cli_;
};

TEST_F(Monitoring, TextfilePassesPromtoolAndNodeExporterServesTheLastTestOfEachUrl) {
    TempDir textfiles;
    const std::string secret = nginx_.url("/f.bin").insert(7, "user:secret@");
    for (const std::string& url : {secret, secret, nginx_.url("/a,b=c.bin")}) {
        const CliExit run = Test({"--prometheus-textfile=" + textfiles.path(), url});
        ASSERT_EQ(run.status, 0) << run.err;
    }
    const std::string prom = textfiles.file("corvanite.prom");
    const CliExit check = RunCli("/bin/sh", {"-c", "promtool check metrics < '" + prom + "'"});
    EXPECT_EQ(check.status, 0) << check.out << check.err << testsupport::readFile(prom);

    const int port = testsupport::freeTcpPort();
    LoopbackServer exporter(
        port,
        {"/usr/bin/prometheus-node-exporter", "--collector.disable-defaults",
         "--collector.textfile", "--collector.textfile.directory=" + textfiles.path(),
         "--web.listen-address=127.0.0.1:" + std::to_string(port)},
        "/");
    ASSERT_TRUE(exporter.ready());
    const std::string metrics = exporter.get("/metrics");
    const std::string masked = nginx_.url("/f.bin").insert(7, "user:****@");
    EXPECT_NE(metrics.find("corvanite_tests_total{outcome=\"finished\",url=\"" + masked + "\"} 2"),
              std::string::npos)
        << metrics;
    EXPECT_NE(metrics.find("corvanite_test_bytes{outcome=\"finished\",url=\"" +
                           nginx_.url("/a,b=c.bin") + "\"} 10000"),
              std::string::npos);
    EXPECT_EQ(metrics.find("secret"), std::string::npos);
    EXPECT_EQ(Occurrences(metrics, "corvanite_download_bytes_per_second{"), 2u);
    EXPECT_NE(metrics.find("corvanite_last_test_timestamp_seconds{"), std::string::npos);
}

TEST_F(Monitoring, PushgatewayHoldsTheMetricsOfTheRun) {
    TempDir state;
    const int port = testsupport::freeTcpPort();
    LoopbackServer gateway(port,
                           {"/usr/bin/prometheus-pushgateway",
                            "--web.listen-address=127.0.0.1:" + std::to_string(port),
                            "--persistence.file=" + state.file("pushgateway.data")},
                           "/-/ready");
    ASSERT_TRUE(gateway.ready());
    const CliExit run = Test({"--pushgateway=" + gateway.url("/"), nginx_.url("/f.bin")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string metrics = gateway.get("/metrics");
    EXPECT_NE(metrics.find("corvanite_test_bytes{instance=\""), std::string::npos) << metrics;
    EXPECT_NE(metrics.find("job=\"corvanite\",outcome=\"finished\",url=\"" + nginx_.url("/f.bin") +
                           "\"} 20000"),
              std::string::npos)
        << metrics;
}

// influxd takes a few seconds to start: one for the suite.
class InfluxExport : public Monitoring {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        const int port = testsupport::freeTcpPort();
        const int rpcPort = testsupport::freeTcpPort();
        const std::string config = dir_->file("influxdb.conf");
        testsupport::writeFile(
            config,
            "reporting-disabled = true\nbind-address = \"127.0.0.1:" + std::to_string(rpcPort) +
                "\"\n[meta]\n dir = \"" + dir_->file("meta") + "\"\n[data]\n dir = \"" +
                dir_->file("data") + "\"\n wal-dir = \"" + dir_->file("wal") +
                "\"\n query-log-enabled = false\n[http]\n bind-address = \"127.0.0.1:" +
                std::to_string(port) +
                "\"\n log-enabled = false\n[monitor]\n store-enabled = false\n");
        influx_ = new LoopbackServer(port, {"/usr/bin/influxd", "run", "-config", config}, "/ping");
    }
    static void TearDownTestSuite() {
        delete influx_;
        delete dir_;
    }
    static std::string Query(const std::string& query) {
        return RunCli("/usr/bin/curl", {"-sS", "-XPOST", influx_->url("/query?db=corvanite"),
                                        "--data-urlencode", "q=" + query})
            .out;
    }
    static TempDir* dir_;
    static LoopbackServer* influx_;
};
TempDir* InfluxExport::dir_ = nullptr;
LoopbackServer* InfluxExport::influx_ = nullptr;

TEST_F(InfluxExport, DatabaseHoldsEachTestWithItsTagsAndFields) {
    ASSERT_TRUE(influx_->ready());
    Query("CREATE DATABASE corvanite");
    const std::string url = nginx_.url("/a,b=c.bin");
    const CliExit run = Test({"--influx=" + influx_->url("/write?db=corvanite"), url});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string points =
        Query("SELECT test_bytes, download_bytes_per_second, outcome, url FROM corvanite");
    EXPECT_NE(points.find(",10000,"), std::string::npos) << points;
    EXPECT_NE(points.find("\"finished\",\"" + url + "\""), std::string::npos) << points;
}

// A socket that takes connections and never answers: a server that hangs.
class SilentServer {
public:
    SilentServer() : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(fd_, 8);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/write"; }

private:
    int fd_;
    int port_ = 0;
};

TEST_F(Monitoring, AnExportThatCannotReachItsServerLeavesTheTestAsItIs) {
    SilentServer hanging;
    const std::string closed = "http://127.0.0.1:" + std::to_string(testsupport::freeTcpPort());
    const std::vector<std::string> exports = {"--pushgateway=" + closed,
                                              "--influx=" + hanging.url(), "--alert-below=1000000",
                                              nginx_.url("/f.bin")};
    // No session bus: the alert is its line alone.
    clitest::CliLaunch noBus;
    noBus.environment = {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"};
    const CliExit told = Test(exports, noBus);
    EXPECT_EQ(told.status, 0) << told.err;
    EXPECT_NE(told.out.find("Downloading finished."), std::string::npos);
    EXPECT_NE(told.err.find("alert: " + nginx_.url("/f.bin")), std::string::npos) << told.err;
    EXPECT_NE(told.err.find("The Pushgateway " + closed), std::string::npos) << told.err;
    EXPECT_NE(told.err.find("InfluxDB at " + hanging.url()), std::string::npos) << told.err;

    std::vector<std::string> asked = exports;
    asked.insert(asked.begin(), "--export-failure-status");
    EXPECT_EQ(Test(asked, noBus).status, 75);
    const CliExit history = Test({"--history", "--json"});
    EXPECT_EQ(clitest::OutputLines(history.out).size(), 2u) << history.out;
}

TEST_F(Monitoring, AlertsOnceAfterTheRunOfBadTestsAndOnceOnRecovery) {
    TempDir bus;
    const std::string address = "unix:path=" + bus.file("bus");
    ChildProcess daemon({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address},
                        bus.file("daemon.log"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return access(bus.file("bus").c_str(), F_OK) == 0; }));
    ChildProcess monitor({"/usr/bin/dbus-monitor", "--address", address,
                          "interface='org.freedesktop.Notifications',member='Notify'"},
                         bus.file("monitor.log"));
    // It says it has become a monitor by losing its name.
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return testsupport::readFile(bus.file("monitor.log")).find("NameLost") != std::string::npos;
    }));
    clitest::CliLaunch onBus;
    onBus.environment = {"DBUS_SESSION_BUS_ADDRESS=" + address};

    // Three tests that fail (the file is not there yet: a failure is as bad as a slow test,
    // and no loopback test is slow), then one that finishes far above the rate, whatever the
    // load on the machine.
    const std::string url = nginx_.url("/late.bin");
    std::vector<std::string> lines;
    for (int i = 0; i < 4; ++i) {
        if (i == 3) {
            testsupport::writePatternFile(www_.file("late.bin"), 5000);
        }
        const CliExit run = Test({"--alert-after=2", "--alert-below=0.001", url}, onBus);
        lines.push_back(run.err);
    }
    EXPECT_EQ(lines[0].find("alert"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("alert: " + url + ": 2 tests in a row"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[2].find("alert"), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("recovered: " + url + ":"), std::string::npos) << lines[3];
    EXPECT_NE(lines[3].find("after 3 tests failed"), std::string::npos) << lines[3];
    const auto notified = [&] {
        return Occurrences(testsupport::readFile(bus.file("monitor.log")), "member=Notify");
    };
    ASSERT_TRUE(testsupport::waitUntil([&] { return notified() == 2; })) << notified();
    const std::string log = testsupport::readFile(bus.file("monitor.log"));
    EXPECT_LT(log.find("Download failed or below"), log.find("Download recovered"));
}

}  // namespace
