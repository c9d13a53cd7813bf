// Faults of FTP servers on FTP's own port 21, where the download and the size probe of a URL
// without a port go: each test runs in a private network of its own where the test's server
// may listen there.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/worker_hooks.h"
#include "tests/common/message_box_answers.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";
const std::string kEarlierReport = "an earlier report, not ours to change\r\n";

// Calls action at the first visit of a stop-request poll, for the object's lifetime.
class AtPoll {
public:
    AtPoll(int pollPoint, std::function<void()> action) {
        auto done = std::make_shared<bool>(false);
        SetTestWorkerPollObserver([=](int point) {
            if (point == pollPoint && !*done) {
                *done = true;
                action();
            }
        });
    }
    ~AtPoll() { SetTestWorkerPollObserver({}); }
    AtPoll(const AtPoll&) = delete;
    AtPoll& operator=(const AtPoll&) = delete;
};

std::uint64_t StartedLength(const FaultRun& run) {
    for (const PostedMessage& message : run.messages) {
        if (message.message == WM_DOWNLOAD_STARTED) {
            return message.wParam;
        }
    }
    return 0;
}

class FtpFaults : public ::testing::Test {
protected:
    // Runs body in a network of its own; skips when none can be had.
    void InPrivateNetwork(const std::function<void()>& body) {
        std::string why;
        if (!RunInPrivateNetwork(body, &why)) {
            GTEST_SKIP() << "no private network: " << why;
        }
    }

    TempDir served;
    TempDir program;
    MessageBoxAnswers boxes;
};

TEST_F(FtpFaults, ProbeTurnedAwayEndsWith103) {
    writePatternFile(served.file("f.bin"), 5000);
    writeFile(program.file(kReport), kEarlierReport);
    FaultRun run;
    InPrivateNetwork([&] {
        // One connection per address: the download's stands, the probe's is turned away.
        FtpServer ftp(served.path(), {.connectionsPerAddress = 1, .port = 21});
        run = RunOneTest("ftp://127.0.0.1/f.bin", program.path());
    });
    if (IsSkipped()) {
        return;
    }
    ExpectOneFinished(run, OutcomeFtpProbeFailed);
    EXPECT_EQ(boxes.count(), 2u);
    EXPECT_EQ(ListDirectory(program.path()),
              (std::map<std::string, std::int64_t>{{kReport, kEarlierReport.size()}}));
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

TEST_F(FtpFaults, FileVanishingBeforeTheSizeIsAskedStillDownloadsWhatWasOpened) {
    writePatternFile(served.file("gone.bin"), 70000);
    FaultRun run;
    InPrivateNetwork([&] {
        FtpServer ftp(served.path(), {.port = 21});
        // The download has the file open already; the probe, connected, finds it gone.
        AtPoll removeIt(3, [&] { unlink(served.file("gone.bin").c_str()); });
        run = RunOneTest(ftp.url("/gone.bin"), program.path());
    });
    if (IsSkipped()) {
        return;
    }
    ExpectOneFinished(run, OutcomeFinished);
    EXPECT_EQ(StartedLength(run), 0xFFFFFFFFu);
    EXPECT_EQ(readFile(program.file("gone.bin")), patternBytes(70000));
    int blocks = 0;
    EXPECT_TRUE(IsWholeReportBlocks(readFile(program.file(kReport)), &blocks));
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(boxes.count(), 0u);
}

TEST_F(FtpFaults, FileShrinkingDuringTheDownloadEndsWith100AndNoReport) {
    writePatternFile(served.file("shrinks.bin"), 4 << 20);
    writeFile(program.file(kReport), kEarlierReport);
    FaultRun run;
    InPrivateNetwork([&] {
        FtpServer ftp(served.path(), {.port = 21});
        AtPoll shrinkIt(4, [&] {
            ASSERT_EQ(truncate(served.file("shrinks.bin").c_str(), 1000), 0)
                << std::strerror(errno);
        });
        run = RunOneTest(ftp.url("/shrinks.bin"), program.path());
    });
    if (IsSkipped()) {
        return;
    }
    // The server announced the size with the transfer: a transfer that comes up short is a
    // failed one, not a finished test.
    ExpectOneFinished(run, OutcomeOpenUrlException);
    EXPECT_EQ(StartedLength(run), 4u << 20);
    EXPECT_FALSE(std::filesystem::exists(program.file("shrinks.bin")));
    EXPECT_EQ(readFile(program.file(kReport)), kEarlierReport);
}

TEST_F(FtpFaults, LineEndsInTheUrlSendNoCommandOfTheirOwn) {
    writePatternFile(served.file("f.bin"), 100);
    writePatternFile(served.file("victim.bin"), 100);
    std::vector<FaultRun> runs;
    std::string log;
    InPrivateNetwork([&] {
        FtpServer ftp(served.path(), {.port = 21});
        for (const char* tail : {"f.bin%0D%0ADELE%20victim.bin", "f.bin\r\nDELE victim.bin",
                                 "f.bin;type=i%0ADELE%20/victim.bin"}) {
            runs.push_back(RunOneTest("ftp://127.0.0.1/" + std::string(tail), program.path()));
        }
        log = ftp.log();
    });
    if (IsSkipped()) {
        return;
    }
    for (const FaultRun& run : runs) {
        EXPECT_TRUE(IsKnownOutcome(run.returned)) << run.returned;
        ExpectOneFinished(run, run.returned);
    }
    EXPECT_EQ(readFile(served.file("victim.bin")), patternBytes(100));
    // No command of the URL's making reached the server (a DELE inside a name is only text).
    EXPECT_EQ(log.find("<- DELE"), std::string::npos) << log;
}

}  // namespace
