#include "bandwidth/report.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include <sys/file.h>

#include "bandwidth/two_decimals.h"
#include "framework/exception.h"
#include "framework/stdio_file.h"
#include "history/report_labels.h"
#include "inet/url_password.h"

namespace {

bool SystemLocalTime(std::time_t t, std::tm& local) {
    return ::localtime_r(&t, &local) != nullptr;
}

// Another test holds the lock only while it appends its block, a moment; a holder that keeps it
// longer than this is not one, and the block is not written.
constexpr int kLockTries = 200;
constexpr std::chrono::milliseconds kLockPause{10};

bool PauseBeforeNextTry(int failedTries) {
    if (failedTries >= kLockTries) {
        return false;
    }
    std::this_thread::sleep_for(kLockPause);
    return true;
}

// Takes the lock, waiting while another writer appends; false (errno telling why) when it
// cannot be had.
bool LockForAppend(int fd, const TestReport::LockWait& wait) {
    for (int failed = 0;; ++failed) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        const int error = errno;
        if ((error != EWOULDBLOCK && error != EINTR) || !wait(failed + 1)) {
            errno = error;
            return false;
        }
    }
}

void Unlock(int fd) {
    ::flock(fd, LOCK_UN);
}

}  // namespace

TestReport::TestReport() : TestReport([] { return std::time(nullptr); }, SystemLocalTime) {}

TestReport::TestReport(Clock clock) : TestReport(std::move(clock), SystemLocalTime) {}

TestReport::TestReport(Clock clock, LocalTime localTime, LockWait lockWait)
    : clock_(std::move(clock)),
      localTime_(std::move(localTime)),
      lockWait_(lockWait ? std::move(lockWait) : PauseBeforeNextTry) {}

TestReport::~TestReport() {
    close();
}

bool TestReport::open(const std::string& programDirectory) {
    close();
    auto file = std::make_unique<CStdioFile>();
    if (!file->Open(programDirectory + "/" + fileName,
                    CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate |
                        CFile::shareDenyNone | CFile::typeText | CFile::modeNoFollow)) {
        return false;
    }
    try {
        file->SeekToEnd();
    } catch (CException* e) {
        e->Delete();
        file->Abort();
        return false;
    }
    file_ = std::move(file);
    block_.clear();
    blockStart_.reset();
    state_ = State::Open;
    return true;
}

void TestReport::begin(const std::string& url) {
    block_ = ReportTitle;
    block_ += ReportByline;
    block_ += "\n";
    block_ += ReportRule;
    block_ += ReportStampLabel;
    start_ = clock_();
    std::tm local{};
    char stamp[64];
    if (localTime_(start_, local) &&
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local) != 0) {
        block_ += stamp;
    }
    block_ += "\n";
    // The URL is text, never a format: "%" in it stays as typed.
    block_ += ReportUrlLabel;
    block_ += MaskUrlPassword(url) + "\n";
    if (state_ == State::Open) {
        state_ = State::Started;
    }
}

bool TestReport::finish(std::uint64_t bytes) {
    std::time_t end = clock_();
    if (state_ != State::Started) {
        return false;
    }
    std::int64_t elapsed = static_cast<std::int64_t>(end) - static_cast<std::int64_t>(start_);

    block_ += ReportBytesLabel;
    block_ += std::to_string(bytes) + ReportBytesEnd + "\n";
    double total = static_cast<double>(bytes);
    double kbytes = total * 0.0009765625;
    double kbits = total * 0.0078125;
    if (elapsed >= 1) {
        block_ += ReportSecondsLabel;
        block_ += std::to_string(static_cast<std::uint64_t>(elapsed)) + "\n";
        kbytes /= static_cast<double>(elapsed);
        kbits /= static_cast<double>(elapsed);
        block_ += ReportRateLabel;
        block_ += FormatTwoDecimals(kbytes) + " KBytes/Seconds,  " + FormatTwoDecimals(kbits) +
                  " K bps\n";
    } else {
        // Within one clock second, or the clock was set back: counted as one second.
        block_ += ReportSecondsLabel;
        block_ += ReportUnderOneSecond;
        block_ += "\n";
        block_ += ReportRateLabel;
        block_ += "> " + FormatTwoDecimals(kbytes) + " KBytes/Seconds,  " +
                  FormatTwoDecimals(kbits) + " K bps\n";
    }
    block_ += ReportRule;
    block_ += "\n\n";

    // Appended where the file ends now, under the lock, and handed to the system before the
    // test counts as finished: from then on the block outlives this process however it ends.
    // No disk sync here: it would wait for the whole download to reach the disk first.
    // A block that cannot be written whole is taken out again: the lock keeps every other
    // writer of the system away, so cutting back to the old end loses nothing of theirs.
    if (!LockForAppend(file_->GetHandle(), lockWait_)) {
        block_.clear();
        state_ = State::Open;
        return false;
    }
    std::uint64_t oldEnd = 0;
    bool positioned = false;
    bool written = false;
    try {
        oldEnd = file_->SeekToEnd();
        positioned = true;
        file_->WriteString(block_);
        file_->Flush();
        written = true;
    } catch (CException* e) {
        e->Delete();
        if (positioned) {
            try {
                file_->SetLength(oldEnd);
                file_->SeekToEnd();
            } catch (CException* again) {
                again->Delete();
            }
        }
    }
    const int error = errno;
    Unlock(file_->GetHandle());
    errno = error;
    block_.clear();
    if (!written) {
        state_ = State::Open;
        return false;
    }
    blockStart_ = oldEnd;
    state_ = State::Written;
    return true;
}

void TestReport::close() {
    block_.clear();
    state_ = State::Closed;
    if (!file_) {
        return;
    }
    try {
        file_->Close();
    } catch (CException* e) {
        e->Delete();
    }
    file_->Abort();
    file_.reset();
}
