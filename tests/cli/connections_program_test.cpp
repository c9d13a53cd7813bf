// corvanite-cli --connections=N against loopback servers: the file fetched as byte ranges on
// several connections must be the server's byte for byte, whatever the server does.
#include <csignal>
#include <filesystem>
#include <string>
#include <utility>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
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
using testsupport::TempDir;

QJsonObject JsonOf(const CliExit& exit) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(exit.out)).object();
}

bool SavedIsPattern(const std::string& path, std::uint64_t size) {
    const std::string saved = testsupport::readFile(path);
    return saved.size() == size && testsupport::matchesPattern(saved.data(), saved.size());
}

struct SizeCase {
    std::uint64_t size;
    int connectionsUsed;  // of 4 asked for
    bool tls;
};

class RangedFile : public ::testing::TestWithParam<SizeCase> {};

TEST_P(RangedFile, IsSavedByteForByte) {
    const SizeCase c = GetParam();
    TempDir served;
    testsupport::writePatternFile(served.file("f.bin"), c.size);
    testsupport::NginxServer nginx(served.path(), {.tls = c.tls});
    CliFolder folder;
    const std::string url = c.tls ? nginx.httpsUrl("/f.bin") : nginx.url("/f.bin");

    clitest::CliLaunch launch;
    launch.environment = {"SSL_CERT_FILE=" + nginx.certificateFile()};
    const CliExit exit = RunCli(folder.program(), {"--json", "-q", "--connections=4", url}, launch);

    ASSERT_EQ(exit.status, 0) << exit.err;
    EXPECT_TRUE(SavedIsPattern(folder.file("f.bin"), c.size));
    const QJsonObject json = JsonOf(exit);
    EXPECT_EQ(json["connections_requested"].toInt(), 4);
    EXPECT_EQ(json["connections_used"].toInt(), c.connectionsUsed);
    EXPECT_EQ(json["bytes"].toInteger(), static_cast<qint64>(c.size));
    // Plain HTTP has no handshake to time; HTTPS has one.
    EXPECT_EQ(json["tls_seconds"].isNull(), !c.tls) << exit.out;
    EXPECT_GE(json["name_lookup_seconds"].toDouble(-1), 0) << exit.out;
    EXPECT_GE(json["connect_seconds"].toDouble(-1), 0) << exit.out;
}

INSTANTIATE_TEST_SUITE_P(Sizes, RangedFile,
                         ::testing::Values(SizeCase{0, 1, false}, SizeCase{1, 1, false},
                                           SizeCase{3, 3, false}, SizeCase{4000037, 4, false},
                                           SizeCase{4000037, 4, true}));

// What a server does with ranges, and what the test makes of it.
struct ServerCase {
    const char* name;
    const char* path;
    int status;
    int connectionsUsed;  // for a finished test
    const char* says;     // on standard output (finished) or error (failed)
};

void PrintTo(const ServerCase& c, std::ostream* out) {
    *out << c.name;
}

class RangeServer : public ::testing::TestWithParam<ServerCase> {};

TEST_P(RangeServer, EndsAsTheServerAllows) {
    const ServerCase c = GetParam();
    constexpr std::uint64_t kSize = 3000001;
    testsupport::ScriptedHttpServer http;
    CliFolder folder;
    const std::string url = http.url(std::string(c.path) + "&size=" + std::to_string(kSize));

    const CliExit exit = RunCli(folder.program(), {"-q", "--connections=3", url});

    ASSERT_EQ(exit.status, c.status) << exit.out << exit.err;
    const std::string name = url.substr(url.rfind('/') + 1);
    if (c.status == 0) {
        EXPECT_TRUE(SavedIsPattern(folder.file(name), kSize));
        EXPECT_NE(exit.out.find(c.says), std::string::npos) << exit.out;
    } else {
        // Ranges that never came would leave holes: no such file is kept.
        EXPECT_FALSE(std::filesystem::exists(folder.file(name)));
        EXPECT_NE(exit.err.find(c.says), std::string::npos) << exit.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, RangeServer,
                         ::testing::Values(ServerCase{"NoRanges", "/data/f.bin?x=1", 0, 1,
                                                      "the server serves no byte ranges"},
                                           ServerCase{"WrongContentRange", "/ranges/f.bin?wrong=1",
                                                      100, 0, "Content-Range"},
                                           ServerCase{"DroppedMidRangeIsRetried",
                                                      "/ranges/f.bin?drop=1", 0, 3,
                                                      "Connections:     3 of 3"}),
                         [](const auto& info) { return std::string(info.param.name); });

// REST fetches each range; a server that cannot tell the size gets the test on one connection.
TEST(FtpRanges, RestFetchesEachRangeOfAFileOfKnownSize) {
    constexpr std::uint64_t kSize = 2500003;
    TempDir served;
    testsupport::writePatternFile(served.file("f.bin"), kSize);
    for (const auto& [refuseSize, used] : {std::pair{0, 3}, std::pair{500, 1}}) {
        testsupport::FtpServer ftp(served.path(), {.refuseSize = refuseSize});
        CliFolder folder;

        const CliExit exit =
            RunCli(folder.program(), {"--json", "-q", "--connections=3", ftp.url("/f.bin")});

        ASSERT_EQ(exit.status, 0) << exit.err << ftp.log();
        EXPECT_TRUE(SavedIsPattern(folder.file("f.bin"), kSize));
        EXPECT_EQ(JsonOf(exit)["connections_used"].toInt(), used) << refuseSize;
    }
}

TEST(CancelRanges, CtrlCStopsEightConnections) {
    testsupport::ScriptedHttpServer http;
    CliFolder folder;
    // Slow enough per connection that the test is under way when it is cancelled.
    CliProcess cli(folder.program(),
                   {"-q", "--connections=8", http.url("/ranges/f.bin?size=80000000&rate=200000")});
    // The opening request, then one for each connection's range.
    ASSERT_TRUE(testsupport::waitUntil([&] { return http.requests().size() >= 9; }));

    cli.signal(SIGINT);
    const CliExit exit = cli.wait(std::chrono::seconds(20));

    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 2) << exit.err;
}

TEST(ConnectionsOption, IsRefusedOutsideOneToSixteen) {
    CliFolder folder;
    for (const char* count : {"0", "17", "two"}) {
        const CliExit exit =
            RunCli(folder.program(), {std::string("--connections=") + count, "http://x/f.bin"});
        EXPECT_EQ(exit.status, 64) << count;
        EXPECT_NE(exit.err.find("invalid number of connections"), std::string::npos) << exit.err;
    }
}

}  // namespace
