// Writes that fail after the files were opened: the destination (a full disk) and the report.
// A file-size limit on this process makes the writes fail without touching the machine.
#include <csignal>
#include <string>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const char* const kReport = "BandWidth_TestRpt.txt";

// Writes past limit bytes into any file fail (EFBIG) while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(TestWorkerDisk, FullDiskForTheDownloadEndsWith106) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("full.bin"), 1 << 20);
    writeFile(program.file(kReport), "earlier");
    NginxServer nginx(served.path());

    WorkerResult result;
    {
        FileSizeLimit limit(200000);
        result = RunWorker(nginx.url("/full.bin"), program.path());
    }

    ExpectWellFormedRun(result, OutcomeDestinationFailed);
    EXPECT_EQ(readFile(program.file(kReport)), "earlier");
    EXPECT_FALSE(FileExists(program.file("full.bin")));
}

TEST(TestWorkerDisk, ReportThatCannotBeWrittenEndsWith107) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("fits.bin"), 5000);
    // The block would land past the limit; the download itself stays below it.
    const std::string earlier(100000, 'r');
    writeFile(program.file(kReport), earlier);
    NginxServer nginx(served.path());

    WorkerResult result;
    {
        FileSizeLimit limit(earlier.size());
        result = RunWorker(nginx.url("/fits.bin"), program.path());
    }

    ExpectWellFormedRun(result, OutcomeReportFailed);
    EXPECT_EQ(readFile(program.file(kReport)), earlier);
    EXPECT_FALSE(FileExists(program.file("fits.bin")));
}

}  // namespace
