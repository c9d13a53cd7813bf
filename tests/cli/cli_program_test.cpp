// corvanite-cli as a user runs it: a copy in a folder of its own, against loopback servers.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include "platform/last_error.h"
#include "tests/cli/cli_process.h"
#include "tests/cli/trickle_server.h"
#include "tests/support/ftp_server.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace {

using clitest::CliExit;
using clitest::CliFolder;
using clitest::CliProcess;
using clitest::RunCli;
using testsupport::NginxServer;
using testsupport::ScriptedHttpServer;
using testsupport::TempDir;

constexpr const char* kReport = "BandWidth_TestRpt.txt";

std::string FromDisk(const std::string& text) {
    return std::regex_replace(text, std::regex("\r\n"), "\n");
}

std::string ReadIfThere(const std::string& path) {
    try {
        return testsupport::readFile(path);
    } catch (const std::exception&) {
        return {};
    }
}

// A file served by nginx and a program folder to test it from.
class ServedFile : public ::testing::Test {
protected:
    static constexpr std::uint64_t kSize = 3 * 1024 * 1024 + 123;

    ServedFile() : nginx_(served_.path()) {
        testsupport::writePatternFile(served_.file("f.bin"), kSize);
        testsupport::writeFile(served_.file("noname"), "no dot in this name\n");
    }

    std::string url(const std::string& path) const { return nginx_.url(path); }

    TempDir served_;
    NginxServer nginx_;
    CliFolder folder_;
};

TEST_F(ServedFile, AFinishedTestPrintsItsStatusReportBlockAndPreciseFigures) {
    const CliExit exit = RunCli(folder_.program(), {url("/f.bin")});
    ASSERT_TRUE(exit.exited) << exit.err;
    EXPECT_EQ(exit.status, 0) << exit.err;

    // The download and the report are the dialog's, beside the program.
    const std::string saved = testsupport::readFile(folder_.file("f.bin"));
    ASSERT_EQ(saved.size(), kSize);
    EXPECT_TRUE(testsupport::matchesPattern(saved.data(), saved.size()));
    const std::string report = FromDisk(testsupport::readFile(folder_.file(kReport)));

    // Status, a blank line, the block as appended, the result line, then the precise figures.
    ASSERT_EQ(exit.out.rfind("Downloading finished.\n\n" + report, 0), 0u) << exit.out;
    EXPECT_NE(report.find("Test URL:       " + url("/f.bin") + "\n"), std::string::npos);
    EXPECT_NE(report.find("Bytes Received: " + std::to_string(kSize) + ".\n"), std::string::npos);
    const std::string figures = exit.out.substr(23 + report.size());
    std::smatch m;
    ASSERT_TRUE(std::regex_match(
        figures, m,
        std::regex("[0-9.]+ Mbit/s \\([0-9.]+ MB/s\\): [0-9.]+ [kMG]?B in [0-9.]+ m?s, first byte "
                   "after [0-9.]+ m?s\n"
                   // A download this short may end before the first loaded probe.
                   "(?:Latency [^\n]+\n)?"
                   "Precise figures:\n"
                   "  Bytes received:  (\\d+) bytes\n"
                   "  First byte:      (\\d+\\.\\d{3}) seconds after asking for the URL\n"
                   "  Transfer time:   (\\d+\\.\\d{3}) seconds from the first byte to the last "
                   "read\n"
                   "  Total time:      (\\d+\\.\\d{3}) seconds from asking for the URL to the "
                   "last read \\(monotonic clock\\)\n"
                   "  Rate:            (\\d+\\.\\d\\d) megabits per second \\(Mbit/s\\)\n"
                   "                   (\\d+\\.\\d\\d) megabytes per second \\(MB/s\\)\n"
                   "(?:  Steady rate: .*\n)?"
                   "  Server:          127\\.0\\.0\\.1:\\d+\n"
                   "  Final URL:       http://127\\.0\\.0\\.1:\\d+/f\\.bin\n"
                   "  Name lookup:     \\d+\\.\\d{3} ms\n"
                   "  Connecting:      \\d+\\.\\d{3} ms\n"
                   "  Waiting:         \\d+\\.\\d{3} ms\n"
                   "  Latency idle:    \\d+\\.\\d{4} seconds, the median round trip before the "
                   "download \\(spread \\d+\\.\\d{4}\\)\n"
                   "(?:  [^\n]+\n)*")))
        << figures;
    EXPECT_EQ(m[1].str(), std::to_string(kSize));
    const double megabits = std::stod(m[5].str());
    const double megabytes = std::stod(m[6].str());
    // Both rates come from the same interval.
    EXPECT_NEAR(megabits, megabytes * 8, 0.05 + megabits * 1e-4);

    // Progress went to standard error, in plain lines since it is not a terminal.
    EXPECT_NE(exit.err.find("Testing " + url("/f.bin") + "\nConnecting...\nDownloading...\n"),
              std::string::npos)
        << exit.err;
}

TEST_F(ServedFile, JsonGivesOneObjectWithTheFiguresAndTheirUnits) {
    const CliExit exit = RunCli(folder_.program(), {"--json", "--quiet", url("/f.bin")});
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0) << exit.err;
    EXPECT_EQ(exit.err, "");
    ASSERT_FALSE(exit.out.empty());
    EXPECT_EQ(exit.out.find('\n'), exit.out.size() - 1) << "one line";

    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(exit.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << exit.out;
    ASSERT_TRUE(document.isObject());
    const QJsonObject json = document.object();
    QStringList keys = json.keys();
    keys.sort();
    EXPECT_EQ(keys.join(",").toStdString(),
              "bytes,cause,connect_seconds,connections_requested,connections_used,final_url,"
              "first_byte_seconds,latency_added_seconds,latency_grade,latency_idle_seconds,"
              "latency_idle_spread_seconds,latency_kernel_seconds,latency_loaded_p90_seconds,"
              "latency_loaded_seconds,megabits_per_second,megabytes_per_second,"
              "name_lookup_seconds,outcome,program,report,responsiveness_rpm,server_address,"
              "start_utc,status,steady_megabits_per_second,tls_seconds,total_seconds,"
              "transfer_seconds,url");
    EXPECT_EQ(json["url"].toString().toStdString(), url("/f.bin"));
    EXPECT_EQ(json["outcome"].toInt(-1), 0);
    EXPECT_EQ(json["status"].toString().toStdString(), "Downloading finished.");
    EXPECT_EQ(json["bytes"].toInteger(), static_cast<qint64>(kSize));
    EXPECT_EQ(json["report"].toString().toStdString(),
              FromDisk(testsupport::readFile(folder_.file(kReport))));
    EXPECT_TRUE(std::regex_match(json["start_utc"].toString().toStdString(),
                                 std::regex("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z")))
        << json["start_utc"].toString().toStdString();

    const double seconds = json["total_seconds"].toDouble(-1);
    const double megabits = json["megabits_per_second"].toDouble(-1);
    ASSERT_GE(seconds, 0);
    ASSERT_GT(megabits, 0);
    if (seconds >= 0.002) {
        // The seconds are rounded to the millisecond, the rate to the thousandth.
        EXPECT_LE(megabits, kSize * 8 / 1e6 / (seconds - 0.0005) + 0.001);
        EXPECT_GE(megabits, kSize * 8 / 1e6 / (seconds + 0.0005) - 0.001);
    }
}

struct FailureCase {
    const char* name;
    const char* path;  // on the scripted server, or on nginx for "noname"
    int status;
    const char* text;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class FailedTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedTest, PrintsTheDialogsStatusTextAndExitsWithTheOutcome) {
    const FailureCase& c = GetParam();
    TempDir served;
    testsupport::writeFile(served.file("noname"), "no dot in this name\n");
    NginxServer nginx(served.path());
    ScriptedHttpServer http;
    const std::string url = std::string(c.path) == "/noname" ? nginx.url(c.path) : http.url(c.path);
    CliFolder folder;

    const CliExit exit = RunCli(folder.program(), {url});
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, c.status) << exit.err;
    EXPECT_EQ(exit.out, std::string(c.text) + "\n");
    EXPECT_EQ(ReadIfThere(folder.file(kReport)), "");

    const CliExit json = RunCli(folder.program(), {"--json", url});
    EXPECT_EQ(json.status, c.status);
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(object["outcome"].toInt(-1), c.status);
    EXPECT_EQ(object["status"].toString().toStdString(), c.text);
    for (const char* key : {"bytes", "total_seconds", "megabits_per_second", "megabytes_per_second",
                            "first_byte_seconds", "report"}) {
        EXPECT_TRUE(object[key].isNull()) << key;
    }
    // Every failure tells its cause, the same words on standard error and in the JSON.
    const std::string cause = object["cause"].toString().toStdString();
    EXPECT_NE(cause, "");
    EXPECT_NE(exit.err.find("corvanite-cli: " + cause + "\n"), std::string::npos) << exit.err;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FailedTest,
    ::testing::Values(
        FailureCase{"NoLength", "/nolength?size=5000", 102, "Fails to get http file length."},
        FailureCase{"NotFound", "/status?code=404", 100, "Open URL Exception."},
        FailureCase{"NoFileName", "/noname", 105,
                    "Test URL should be a URL for an Internet File to be downloaded!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CancelledTest, CtrlCStopsTheTestAsTheCancelButtonDoes) {
    clitest::TrickleServer trickle;
    CliFolder folder;
    CliProcess cli(folder.program(), {trickle.url("/slow.bin")});
    // Once the download runs, the worker polls the stop request after every block.
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return cli.err().find("Downloading...\n") != std::string::npos; },
        std::chrono::seconds(60)))
        << cli.err();
    cli.signal(SIGINT);
    const CliExit exit = cli.wait();
    ASSERT_TRUE(exit.exited) << exit.err;
    EXPECT_EQ(exit.status, 2);
    EXPECT_EQ(exit.out, "Downloading is broken by user.\n");
    EXPECT_NE(exit.err.find("Cancelling the test"), std::string::npos) << exit.err;
    // Nothing is reported for a cancelled test, and its partial download is removed.
    EXPECT_EQ(ReadIfThere(folder.file(kReport)), "");
    EXPECT_FALSE(std::filesystem::exists(folder.file("slow.bin")));
}

TEST(CancelledTest, SigtermStopsTheTestAsLeavingTheProgramDoes) {
    clitest::TrickleServer trickle;
    CliFolder folder;
    CliProcess cli(folder.program(), {"--json", trickle.url("/slow.bin")});
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return cli.err().find("Downloading...\n") != std::string::npos; },
        std::chrono::seconds(60)));
    cli.signal(SIGTERM);
    const CliExit exit = cli.wait();
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 1);
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(exit.out)).object();
    EXPECT_EQ(object["outcome"].toInt(-1), 1);
    EXPECT_EQ(object["status"].toString().toStdString(), "");
    EXPECT_TRUE(object["start_utc"].isString());
}

TEST(CancelledTest, ASecondCtrlCQuitsAtOnceWhileTheWorkerIsBlocked) {
    ScriptedHttpServer http;
    CliFolder folder;
    // The server takes the request and never answers: the worker waits in the URL's opening,
    // where no stop request is polled.
    CliProcess cli(folder.program(), {http.url("/stallheaders?name=x.bin")});
    ASSERT_TRUE(testsupport::waitUntil([&] { return http.requests().size() == 1; }));
    cli.signal(SIGINT);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return cli.err().find("Cancelling the test") != std::string::npos; }));
    cli.signal(SIGINT);
    const CliExit exit = cli.wait(std::chrono::seconds(20));
    ASSERT_TRUE(exit.exited) << exit.err;
    EXPECT_EQ(exit.status, 130);
    EXPECT_EQ(exit.out, "");
}

TEST(FtpTest, TheSizeProbesBoxesBecomeLinesOnStandardError) {
    // One connection per address: the download's stands, the probe's is turned away.
    TempDir served;
    testsupport::writePatternFile(served.file("f.pdf"), 5000);
    testsupport::FtpServer ftp(served.path(), {.connectionsPerAddress = 1});
    CliFolder folder;
    const CliExit exit = RunCli(folder.program(), {ftp.url("/f.pdf")});
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 103) << exit.err;
    EXPECT_EQ(exit.out, "Connecting to ftp server error! Check URL and your Internet Config!\n");
    // In words, naming the server: no error number.
    EXPECT_NE(exit.err.find("\nError: InternetConnect Fails: 127.0.0.1 port " +
                            std::to_string(ftp.port()) + " ended the session: 421 "),
              std::string::npos)
        << exit.err;
    EXPECT_NE(exit.err.find("\ncorvanite-cli: Internet Error: "), std::string::npos) << exit.err;
}

// A pseudo-terminal whose screen side is read into a text as a terminal emulator would.
class Terminal {
public:
    Terminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slave_ = ::ptsname(master_);
        reader_ = std::thread([this] {
            char buffer[4096];
            // Ends with EIO once the last program holding the terminal is gone.
            for (ssize_t n; (n = ::read(master_, buffer, sizeof buffer)) > 0;) {
                std::lock_guard lock(lock_);
                screen_.append(buffer, static_cast<std::size_t>(n));
            }
        });
    }
    ~Terminal() {
        finish();
        ::close(master_);
    }

    // Everything shown, once every program holding the terminal has ended.
    std::string finish() {
        if (reader_.joinable()) {
            reader_.join();
        }
        return screen();
    }

    const std::string& slave() const { return slave_; }
    std::string screen() {
        std::lock_guard lock(lock_);
        return screen_;
    }

private:
    int master_ = -1;
    std::string slave_;
    std::mutex lock_;
    std::string screen_;
    std::thread reader_;
};

// Returns to the line's start that are not the terminal's own for a line end.
std::size_t Redraws(const std::string& screen) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < screen.size(); ++i) {
        if (screen[i] == '\r' && (i + 1 == screen.size() || screen[i + 1] != '\n')) {
            ++count;
        }
    }
    return count;
}

TEST(TerminalProgress, TheBarIsRedrawnInPlaceAtMostTenTimesASecond) {
    clitest::TrickleServer trickle;
    CliFolder folder;
    std::string screen;
    CliExit exit;
    double seconds = 0;
    {
        Terminal terminal;
        clitest::CliLaunch onTerminal;
        onTerminal.terminal = terminal.slave();
        const auto start = std::chrono::steady_clock::now();
        CliProcess cli(folder.program(), {trickle.url("/slow.bin")}, onTerminal);
        ASSERT_TRUE(testsupport::waitUntil([&] { return Redraws(terminal.screen()) >= 5; },
                                           std::chrono::seconds(60)))
            << terminal.screen();
        cli.signal(SIGINT);
        exit = cli.wait();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        screen = terminal.finish();
    }
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 2);
    EXPECT_EQ(exit.out, "Downloading is broken by user.\n");

    // A busy machine may redraw less often, never more.
    EXPECT_LE(static_cast<double>(Redraws(screen)), seconds * 10 + 2) << seconds << " s";
    // Redrawn in place: the same line each time, as wide as the terminal allows.
    EXPECT_EQ(screen.rfind("Testing " + trickle.url("/slow.bin") + "\r\nConnecting...\r\n", 0), 0u)
        << screen;
    EXPECT_NE(screen.find("\r  0% [---"), std::string::npos) << screen;
}

TEST_F(ServedFile, WithNoUrlTheFirstEntryOfTheListFileIsTested) {
    testsupport::writeFile(folder_.file("Corvanite.cfg"),
                           "\r\n" + url("/f.bin") + "\r\n" + url("/other.bin") + "\r\n");
    const CliExit exit = RunCli(folder_.program(), {"-q"});
    EXPECT_EQ(exit.status, 0) << exit.err;
    EXPECT_EQ(testsupport::readFile(folder_.file("f.bin")).size(), kSize);
}

TEST(NoUrl, AnEmptyUrlOrListIsRefused) {
    CliFolder folder;
    CliExit exit = RunCli(folder.program(), {""});
    EXPECT_EQ(exit.status, 65);
    EXPECT_EQ(exit.out, "");
    EXPECT_EQ(exit.err, "corvanite-cli: Test URL is NULL!\n");

    testsupport::writeFile(folder.file("Corvanite.cfg"), "\n\r\n\n");
    exit = RunCli(folder.program(), {});
    EXPECT_EQ(exit.status, 65);
    EXPECT_EQ(exit.err, "corvanite-cli: Test URL is NULL!\n");
}

TEST(CommandLine, HelpAndVersionFollowGnuConventions) {
    CliFolder folder;
    const CliExit help = RunCli(folder.program(), {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: corvanite-cli [OPTION]... [URL]\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");

    const CliExit version = RunCli(folder.program(), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "corvanite-cli (Corvanite) 2.2.0.0");
    EXPECT_NE(version.out.find("Corvanite Test Tool"), std::string::npos);

    const CliExit bad = RunCli(folder.program(), {"--frobnicate"});
    EXPECT_EQ(bad.status, 64);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err,
              "corvanite-cli: unrecognized option '--frobnicate'\n"
              "Try 'corvanite-cli --help' for more information.\n");
}

}  // namespace
