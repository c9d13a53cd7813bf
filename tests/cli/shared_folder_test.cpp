// Several corvanite-cli tests in one folder at once: each keeps its report block and its
// download, and none spoils another's.
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace {

using clitest::CliExit;
using clitest::CliFolder;
using clitest::CliProcess;
using clitest::RunCli;
using testsupport::ScriptedHttpServer;
using testsupport::TempDir;

constexpr const char* kReport = "BandWidth_TestRpt.txt";

// A download that sends its first bytes and then waits, so that another test can run in the
// meantime, until open() lets it go on.
class HeldDownload {
public:
    HeldDownload(const std::string& name, std::uint64_t size, std::uint64_t before)
        : url_(
              http_.url("/gated?size=" + std::to_string(size) + "&after=" + std::to_string(before) +
                        "&gate=" + testsupport::queryEncode(gate_.file("open")) + "&n=/" + name)) {}
    const std::string& url() const { return url_; }
    void open() const { testsupport::writeFile(gate_.file("open"), ""); }

private:
    ScriptedHttpServer http_;
    TempDir gate_;
    std::string url_;
};

std::string ReportOf(const CliExit& exit) {
    const QJsonObject object =
        QJsonDocument::fromJson(QByteArray::fromStdString(exit.out)).object();
    return object["report"].toString().toStdString();
}

std::string FromDisk(const std::string& text) {
    return std::regex_replace(text, std::regex("\r\n"), "\n");
}

TEST(TestsAtOnce, BothFinishAndBothBlocksReachTheReportWhole) {
    const HeldDownload held("first.bin", 300000, 1000);
    ScriptedHttpServer http;
    CliFolder folder;
    CliProcess first(folder.program(), {"--json", held.url()});
    // The first test has its files open and is downloading.
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return first.err().find("Downloading...\n") != std::string::npos; },
        std::chrono::seconds(60)))
        << first.err();

    const CliExit second =
        RunCli(folder.program(), {"--json", http.url("/data?size=5000&n=/b.bin")});
    held.open();
    const CliExit firstExit = first.wait();

    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(firstExit.status, 0) << firstExit.err;
    EXPECT_TRUE(testsupport::readFile(folder.file("b.bin")) == testsupport::patternBytes(5000));
    EXPECT_TRUE(testsupport::readFile(folder.file("first.bin")) ==
                testsupport::patternBytes(300000));
    const std::string secondBlock = ReportOf(second);
    const std::string firstBlock = ReportOf(firstExit);
    EXPECT_NE(secondBlock.find("/b.bin\n"), std::string::npos) << secondBlock;
    EXPECT_NE(firstBlock.find("/first.bin\n"), std::string::npos) << firstBlock;
    EXPECT_EQ(FromDisk(testsupport::readFile(folder.file(kReport))), secondBlock + firstBlock);
}

TEST(TestsAtOnce, ASecondTestOfTheSameFileEndsWith106AndLeavesTheFirstsFileAlone) {
    // More than the download's write buffer arrives first, so the file holds data when the
    // second test tries it.
    constexpr std::uint64_t kSize = 800000;
    const HeldDownload held("same.bin", kSize, 600000);
    ScriptedHttpServer http;
    CliFolder folder;
    CliProcess first(folder.program(), {"--json", held.url()});
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            std::error_code ignored;
            return std::filesystem::file_size(folder.file("same.bin"), ignored) >= 500000 &&
                   !ignored;
        },
        std::chrono::seconds(60)))
        << first.err();
    const auto onDisk = std::filesystem::file_size(folder.file("same.bin"));

    const CliExit second = RunCli(folder.program(), {http.url("/data?size=5000&n=/same.bin")});
    EXPECT_EQ(second.status, 106) << second.err;
    EXPECT_NE(second.err.find("another test or program is writing it"), std::string::npos)
        << second.err;
    EXPECT_EQ(std::filesystem::file_size(folder.file("same.bin")), onDisk);

    held.open();
    const CliExit firstExit = first.wait();
    EXPECT_EQ(firstExit.status, 0) << firstExit.err;
    EXPECT_TRUE(testsupport::readFile(folder.file("same.bin")) == testsupport::patternBytes(kSize));
    EXPECT_EQ(FromDisk(testsupport::readFile(folder.file(kReport))), ReportOf(firstExit));
}

}  // namespace
