// When the worker reads the report's clock, and which stop value it posts: the value the stop
// request holds when the finished notification goes out.
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/worker_hooks.h"
#include "framework/stdio_file.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/common/message_box_answers.h"
#include "tests/support/ftp_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const char* const kReport = "BandWidth_TestRpt.txt";

// Records, on the worker's thread, the polls, the end of the data and each clock reading with
// what held at that moment. The clock answers 1000, then 1007.
class TimedRun {
public:
    explicit TimedRun(const std::string& program) {
        SetTestWorkerPollObserver(
            [this](int poll) { events_.push_back("poll " + std::to_string(poll)); });
        SetTestWorkerEndOfDataObserver([this] { events_.push_back("end of data"); });
        SetTestWorkerReportClock([this, program] {
            const bool open =
                !WriteLockFree(program + "/f.bin") && FileExists(program + "/" + kReport);
            events_.push_back(open ? "clock, files open" : "clock, files not open");
            return static_cast<std::time_t>(readings_++ == 0 ? 1000 : 1007);
        });
    }
    ~TimedRun() {
        SetTestWorkerPollObserver({});
        SetTestWorkerEndOfDataObserver({});
        SetTestWorkerReportClock({});
    }
    TimedRun(const TimedRun&) = delete;
    TimedRun& operator=(const TimedRun&) = delete;

    // The events with the polls of the read loop (6) folded into one.
    std::vector<std::string> events() const {
        std::vector<std::string> folded;
        for (const std::string& event : events_) {
            if (event != "poll 6" || folded.empty() || folded.back() != event) {
                folded.push_back(event);
            }
        }
        return folded;
    }

private:
    std::vector<std::string> events_;
    int readings_ = 0;
};

TEST(TestWorkerClock, IntervalStartsOnceAllIsOpenAndEndsAfterTheLastRead) {
    ScriptedHttpServer http;
    TempDir program;
    WorkerResult result;
    std::vector<std::string> events;
    {
        TimedRun timed(program.path());
        result = RunWorker(http.url("/data?size=5000&n=/f.bin"), program.path());
        events = timed.events();
    }

    ExpectWellFormedRun(result, OutcomeFinished);
    // Opened (1, 2), length known (4), files open; then the reads (5, 6) and their end.
    EXPECT_EQ(events,
              (std::vector<std::string>{"poll 1", "poll 2", "poll 4", "clock, files open", "poll 5",
                                        "poll 6", "end of data", "clock, files open"}));
    EXPECT_NE(readFile(program.file(kReport)).find("Seconds Spaned: 7\r\n"), std::string::npos);
}

// A remote file whose closing turns a cancel into a request to leave, as a user may between
// the poll that saw the cancel and the finished notification.
class CancelTurnsToExitOnClose final : public CStdioFile {
public:
    explicit CancelTurnsToExitOnClose(CStdioFile* opened) : opened_(opened) {}
    UINT Read(void* buffer, UINT count) override { return opened_->Read(buffer, count); }
    void Close() override {
        if (CancelRequest.load() == StopCancel) {
            CancelRequest = StopExit;
        }
        opened_->Close();
    }

private:
    std::unique_ptr<CStdioFile> opened_;
};

class TestWorkerStopChange : public ::testing::TestWithParam<int> {};

TEST_P(TestWorkerStopChange, PostsTheValueHeldWhenPosting) {
    TempDir served;
    TempDir program;
    writePatternFile(served.file("f.bin"), 20000);
    FtpServer ftp(served.path());  // FTP visits every poll, 3 too
    MessageBoxAnswers boxes;
    SetTestWorkerRemoteFileFilter([](CStdioFile* opened) -> CStdioFile* {
        return opened ? new CancelTurnsToExitOnClose(opened) : nullptr;
    });

    WorkerResult result;
    {
        StopAtPoll stop(GetParam(), StopCancel);
        result = RunWorker(ftp.url("/f.bin"), program.path());
    }
    SetTestWorkerRemoteFileFilter({});

    ExpectWellFormedRun(result, OutcomeExitRequested);
    EXPECT_EQ(boxes.count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Poll, TestWorkerStopChange, ::testing::Values(1, 2, 3, 4, 5, 6),
                         [](const auto& info) { return "Poll" + std::to_string(info.param); });

}  // namespace
