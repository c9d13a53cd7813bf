// Faults of the disk: a directory that cannot be written, a full disk under the download or
// under the report, a name too long for the file system, a report held by another writer.
// Each ends with one finished notification, and the report is byte for byte as it was.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";
const std::string kEarlierReport = "an earlier report, not ours to change\r\n";

class DiskFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        served_ = std::make_unique<TempDir>();
        writePatternFile(served_->file("small.bin"), 3000);
        writePatternFile(served_->file("empty.bin"), 0);
        writePatternFile(served_->file("large.bin"), 1 << 20);
        nginx_ = std::make_unique<NginxServer>(served_->path());
    }
    static void TearDownTestSuite() {
        nginx_.reset();
        served_.reset();
    }
    static std::unique_ptr<TempDir> served_;
    static std::unique_ptr<NginxServer> nginx_;
};
std::unique_ptr<TempDir> DiskFaults::served_;
std::unique_ptr<NginxServer> DiskFaults::nginx_;

TEST_F(DiskFaults, ReadOnlyDirectoryEndsWith106AndWritesNothing) {
    TempDir program;
    writeFile(program.file(kReport), kEarlierReport);
    FaultRun run;
    std::string why;
    bool mounted = false;
    const bool inside = RunWithPrivateMounts(
        [&] {
            mounted = MakeReadOnly(program.path(), &why);
            if (mounted) {
                run = RunOneTest(nginx_->url("/small.bin"), program.path());
            }
        },
        &why);
    if (!inside || !mounted) {
        GTEST_SKIP() << "no read-only mount: " << why;
    }
    ExpectOneFinished(run, OutcomeDestinationFailed);
    EXPECT_EQ(ListDirectory(program.path()),
              (std::map<std::string, std::int64_t>{{kReport, kEarlierReport.size()}}));
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

TEST_F(DiskFaults, FullDiskUnderTheDownloadEndsWith106) {
    TempDir program;
    FaultRun run;
    std::map<std::string, std::int64_t> left;
    std::string report;
    std::string saved;
    std::string why;
    bool mounted = false;
    const bool inside = RunWithPrivateMounts(
        [&] {
            mounted = MountSmallTmpfs(program.path(), 64, &why);
            if (!mounted) {
                return;
            }
            writeFile(program.file(kReport), kEarlierReport);
            run = RunOneTest(nginx_->url("/large.bin"), program.path());
            left = ListDirectory(program.path());
            report = readFile(program.file(kReport));
        },
        &why);
    if (!inside || !mounted) {
        GTEST_SKIP() << "no small file system to fill: " << why;
    }
    ExpectOneFinished(run, OutcomeDestinationFailed);
    EXPECT_EQ(report, kEarlierReport);
    // What reached the disk before it filled is removed again: only the report is left.
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count(kReport), 1u);
}

TEST_F(DiskFaults, FullDiskUnderTheReportEndsWith107AndLeavesItAsItWas) {
    TempDir program;
    FaultRun run;
    std::string report;
    std::string earlier;
    std::string why;
    bool mounted = false;
    const bool inside = RunWithPrivateMounts(
        [&] {
            mounted = MountSmallTmpfs(program.path(), 32, &why);
            if (!mounted) {
                return;
            }
            // Whole pages of earlier reports, so that the next block needs a page of its own;
            // then every page left goes to a filler.
            earlier = std::string(8192, 'r');
            writeFile(program.file(kReport), earlier);
            const int filler = open(program.file("filler").c_str(), O_WRONLY | O_CREAT, 0644);
            const std::string page(4096, 'f');
            while (write(filler, page.data(), page.size()) > 0) {
            }
            close(filler);
            run = RunOneTest(nginx_->url("/empty.bin"), program.path());
            report = readFile(program.file(kReport));
        },
        &why);
    if (!inside || !mounted) {
        GTEST_SKIP() << "no small file system to fill: " << why;
    }
    ExpectOneFinished(run, OutcomeReportFailed);
    EXPECT_EQ(report, earlier);
}

TEST_F(DiskFaults, NameLongerThanTheFileSystemAllowsEndsWith106) {
    TempDir program;
    writeFile(program.file(kReport), kEarlierReport);
    ScriptedHttpServer http;

    // The last segment of the URL, query and all, is the name: 300 characters and more.
    const FaultRun run = RunOneTest(
        http.url("/data?size=10&name=" + std::string(300, 'n') + ".bin"), program.path());

    ExpectOneFinished(run, OutcomeDestinationFailed);
    EXPECT_EQ(ListDirectory(program.path()),
              (std::map<std::string, std::int64_t>{{kReport, kEarlierReport.size()}}));
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

TEST_F(DiskFaults, ReportHeldByAnotherWriterForGoodEndsWith107) {
    TempDir program;
    writeFile(program.file(kReport), kEarlierReport);
    // Another writer of the system that takes the lock every writer takes and never lets go:
    // the test waits a while for it, then gives up its block.
    const int other = open(program.file(kReport).c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);

    const FaultRun run = RunOneTest(nginx_->url("/small.bin"), program.path());
    close(other);

    ExpectOneFinished(run, OutcomeReportFailed);
    EXPECT_EQ(ListDirectory(program.path()),
              (std::map<std::string, std::int64_t>{{kReport, kEarlierReport.size()}}));
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

}  // namespace
