// corvanite-cli's latency figures over a path with a router's queue: the client, the router
// and a CUBIC server each in a network namespace of the test's own, the router's link to the
// client shaped to 20 Mbit/s.
#include <string>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/shaped_path.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using clitest::CliExit;
using clitest::CliFolder;
using clitest::RunCli;
using testsupport::CubicHttpServer;
using testsupport::PathShape;
using testsupport::ShapedPath;

// Three seconds of download at the shaped rate: long enough for the queue to fill.
constexpr std::size_t kFileSize = 7'500'000;

QJsonObject RunJson(const ShapedPath& path, const CliFolder& folder, const std::string& url,
                    bool latency = true) {
    std::vector<std::string> argv{folder.program(), "--quiet", "--json"};
    if (!latency) {
        argv.push_back("--no-latency");
    }
    argv.push_back(url);
    const CliExit exit = RunCli("/bin/ip", path.inClient(argv));
    EXPECT_TRUE(exit.exited && exit.status == 0) << exit.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(exit.out)).object();
}

class LatencyOverPath : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::writeFile(served_.file("f.bin"), std::string(kFileSize, 'x'));
    }

    testsupport::TempDir served_;
    CliFolder folder_;
};

TEST_F(LatencyOverPath, DeepQueueAddsLatencyAndGradesItPoorly) {
    ShapedPath path({.rate = "20mbit", .queueLimit = "1500kb"});
    if (!path.ready()) {
        GTEST_SKIP() << path.why();
    }
    CubicHttpServer server(path, served_.path());
    const QJsonObject json = RunJson(path, folder_, server.url("/f.bin"));

    const double idle = json["latency_idle_seconds"].toDouble(-1);
    const double loaded = json["latency_loaded_seconds"].toDouble(-1);
    EXPECT_GE(idle, 0);
    EXPECT_LT(idle, 0.05);
    EXPECT_GE(loaded, 0.1) << "the queue holds 600 ms at this rate";
    EXPECT_GE(json["latency_loaded_p90_seconds"].toDouble(-1), loaded);
    // The download's own connection waits in the same queue.
    EXPECT_GE(json["latency_kernel_seconds"].toDouble(-1), 0.05);
    EXPECT_NEAR(json["responsiveness_rpm"].toDouble(-1), 60 / loaded, 0.1);
    const std::string grade = json["latency_grade"].toString().toStdString();
    EXPECT_TRUE(grade == "C" || grade == "D" || grade == "F") << grade;

    // The history keeps the same figures.
    const CliExit history = RunCli(folder_.program(), {"--history", "--json"});
    const QJsonObject row =
        QJsonDocument::fromJson(QByteArray::fromStdString(history.out)).object();
    EXPECT_NEAR(row["latency_loaded_seconds"].toDouble(-1), loaded, 1e-6) << history.out;
    EXPECT_EQ(row["latency_grade"].toString().toStdString(), grade);
}

TEST_F(LatencyOverPath, ShallowQueueKeepsLatencyLowAndNoLatencySendsNoProbe) {
    ShapedPath path({.rate = "20mbit", .queueLimit = "30kb"});
    if (!path.ready()) {
        GTEST_SKIP() << path.why();
    }
    CubicHttpServer server(path, served_.path());
    const QJsonObject json = RunJson(path, folder_, server.url("/f.bin"));
    EXPECT_LT(json["latency_loaded_seconds"].toDouble(1), 0.03);
    const std::string grade = json["latency_grade"].toString().toStdString();
    EXPECT_TRUE(grade == "A+" || grade == "A") << grade;
    EXPECT_NE(server.log().find("HEAD /f.bin"), std::string::npos) << server.log();

    const std::string before = server.log();
    const QJsonObject plain = RunJson(path, folder_, server.url("/f.bin"), false);
    EXPECT_EQ(plain["outcome"].toInt(-1), 0);
    for (const char* key : {"latency_idle_seconds", "latency_loaded_seconds", "responsiveness_rpm",
                            "latency_grade"}) {
        EXPECT_TRUE(plain.contains(key) && plain[key].isNull()) << key;
    }
    EXPECT_EQ(server.log().substr(before.size()),
              "connection 192.0.2.1\nrequest GET /f.bin HTTP/1.1 200\n");
}

}  // namespace
