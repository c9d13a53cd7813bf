#include "bandwidth/worker.h"

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "bandwidth/destination_file.h"
#include "bandwidth/ftp_size_probe.h"
#include "bandwidth/program_files.h"
#include "bandwidth/report.h"
#include "bandwidth/request.h"
#include "bandwidth/worker_hooks_internal.h"
#include "bandwidth/worker_notifier.h"
#include "framework/exception.h"
#include "inet/http_file.h"
#include "inet/internet_session.h"
#include "inet/service_type.h"
#include "inet/split_url.h"

namespace {

// Fetch from the origin server, store nothing in a cache, transfer in binary.
constexpr DWORD kOpenFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;
constexpr UINT kBlockSize = 1024;
// A plain GET asks for the whole file: only a 200 answer is the file. Anything else (a
// server's error page, a part of the file, no content) is not what was asked for.
constexpr DWORD kHttpOk = 200;

// Workers still running, so that the program can let the last one close its report.
std::mutex runningMutex;
std::condition_variable runningChanged;
int runningWorkers = 0;

class RunningWorker {
public:
    RunningWorker() {
        std::lock_guard lock(runningMutex);
        ++runningWorkers;
    }
    ~RunningWorker() {
        std::lock_guard lock(runningMutex);
        --runningWorkers;
        runningChanged.notify_all();
    }
    RunningWorker(const RunningWorker&) = delete;
    RunningWorker& operator=(const RunningWorker&) = delete;
};

struct RemoteFileCloser {
    void operator()(CStdioFile* file) const {
        try {
            file->Close();
        } catch (CException* e) {
            e->Delete();  // a file opened for reading has nothing left to lose
        }
        delete file;
    }
};

// Blanks and control characters around a typed URL are not part of it. Splitting drops them
// anyway; dropping them once, before anything else, lets the URL opened, the URL split and
// the file name agree.
std::string TrimmedUrl(const std::string& typed) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    std::string::size_type first = 0;
    std::string::size_type last = typed.size();
    while (first < last && blank(typed[first])) {
        ++first;
    }
    while (last > first && blank(typed[last - 1])) {
        --last;
    }
    return typed.substr(first, last - first);
}

TestReport::Clock ReportClock() {
    if (const auto& clock = worker_hooks::ReportClock()) {
        return clock;
    }
    return [] { return std::time(nullptr); };
}

// One test, from opening the URL to the finished notification.
class TestRun {
public:
    explicit TestRun(const TestRequest& request)
        : typedUrl_(request.url),
          url_(TrimmedUrl(request.url)),
          directory_(request.programDirectory),
          notifier_(request.window),
          report_(ReportClock()) {}

    unsigned run();

private:
    unsigned open();
    unsigned learnLength();
    unsigned openLocalFiles();
    unsigned download();

    bool stopRequested(int pollPoint);
    unsigned end(unsigned outcome);
    unsigned endStopped();
    void release();

    std::string typedUrl_;  // as the user gave it: the report keeps it so
    std::string url_;       // what is opened, split and named after
    std::string directory_;
    WorkerNotifier notifier_;

    std::unique_ptr<CInternetSession> session_;
    std::unique_ptr<CStdioFile, RemoteFileCloser> remote_;
    DWORD serviceType_ = ServiceUnknown;
    std::string server_;
    std::string object_;
    INTERNET_PORT port_ = 0;
    std::uint64_t contentLength_ = 0;
    DestinationFile destination_;
    TestReport report_;
    bool reportOpen_ = false;
};

unsigned TestRun::run() {
    unsigned outcome = open();
    if (outcome == OutcomeFinished) {
        outcome = learnLength();
    }
    if (outcome == OutcomeFinished) {
        outcome = openLocalFiles();
    }
    if (outcome == OutcomeFinished) {
        outcome = download();
    }
    // The session outlives the finished notification on every path.
    if (session_) {
        session_->Close();
        session_.reset();
    }
    return outcome;
}

// Every step returns 0 to go on, or the outcome it ended the run with.
unsigned TestRun::open() {
    try {
        session_ = std::make_unique<CInternetSession>(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG,
                                                      nullptr, nullptr, 0);
    } catch (CException* e) {
        e->Delete();
        return end(OutcomeOpenUrlException);
    }

    try {
        remote_.reset(session_->OpenRemote(url_.c_str(), 1, kOpenFlags, nullptr, 0));
    } catch (CException* e) {
        // A CInternetException, or a CFileException for a local file that cannot be opened.
        e->Delete();
        return end(OutcomeOpenUrlException);
    }
    if (const auto& filter = worker_hooks::RemoteFileFilter()) {
        remote_.reset(filter(remote_.release()));
    }

    if (stopRequested(1)) {
        return endStopped();
    }
    if (!remote_) {
        return end(OutcomeNoRemoteFile);
    }

    if (!SplitUrl(url_.c_str(), serviceType_, server_, object_, port_)) {
        return end(OutcomeUrlNotParsed);
    }
    if (stopRequested(2)) {
        return endStopped();
    }
    return OutcomeFinished;
}

unsigned TestRun::learnLength() {
    if (serviceType_ == ServiceHttp) {
        auto* http = dynamic_cast<CHttpFile*>(remote_.get());
        if (http == nullptr) {
            return end(OutcomeNoHttpLength);
        }
        // Any other answer than the file itself: the URL could not be opened.
        DWORD status = 0;
        DWORD statusSize = sizeof status;
        if (http->QueryHeader(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                              &statusSize) &&
            status != kHttpOk) {
            return end(OutcomeOpenUrlException);
        }
        std::uint64_t length = 0;
        DWORD lengthSize = sizeof length;
        if (!http->QueryHeader(HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER64, &length,
                               &lengthSize)) {
            return end(OutcomeNoHttpLength);
        }
        contentLength_ = length;
    } else if (serviceType_ == ServiceFtp) {
        const FtpProbeResult probe = ProbeFtpSize(
            server_, port_, object_, [this] { return stopRequested(3); }, contentLength_);
        if (probe == FtpProbeResult::ConnectFailed) {
            return end(OutcomeFtpProbeFailed);
        }
        if (probe == FtpProbeResult::Stopped) {
            return endStopped();
        }
    } else {
        return end(OutcomeUnsupportedService);
    }

    if (stopRequested(4)) {
        return endStopped();
    }
    return OutcomeFinished;
}

unsigned TestRun::openLocalFiles() {
    const std::string::size_type slash = url_.rfind('/');
    const std::string name = slash == std::string::npos ? url_ : url_.substr(slash + 1);
    if (name.find('.') == std::string::npos) {
        return end(OutcomeNoFileName);
    }
    // The name comes from the URL: it must not climb out of the program's directory, nor
    // name one of the program's own files, which creating the destination would empty.
    if (name == "." || name == ".." || IsProgramFileName(name) ||
        !destination_.open(directory_ + "/" + name)) {
        return end(OutcomeDestinationFailed);
    }

    reportOpen_ = report_.open(directory_);
    if (!reportOpen_) {
        return end(OutcomeReportFailed);
    }
    notifier_.started(contentLength_);
    report_.begin(typedUrl_);

    if (stopRequested(5)) {
        return endStopped();
    }
    return OutcomeFinished;
}

unsigned TestRun::download() {
    std::uint64_t blocks = 0;
    std::uint64_t bytes = 0;
    const auto& pollObserver = worker_hooks::PollObserver();
    try {
        // Each block is read straight into the destination's buffer: writing it is then
        // only counting it in.
        for (;;) {
            char* block = destination_.space(kBlockSize);
            if (block == nullptr) {
                return end(OutcomeDestinationFailed);
            }
            const UINT n = remote_->Read(block, kBlockSize);
            if (n == 0) {
                break;
            }
            if (pollObserver) {
                pollObserver(6);
            }
            if (CancelRequest.load() != StopNone) {
                return endStopped();
            }
            destination_.commit(n);
            bytes += n;
            notifier_.progress(++blocks);
        }
    } catch (CException* e) {
        e->Delete();
        return end(OutcomeOpenUrlException);
    }
    if (const auto& endOfData = worker_hooks::EndOfDataObserver()) {
        endOfData();
    }

    // Both files reach the system before the window hears of the result.
    if (!destination_.flush()) {
        return end(OutcomeDestinationFailed);
    }
    if (!report_.finish(bytes)) {
        return end(OutcomeReportFailed);
    }
    notifier_.lastProgress();
    notifier_.finished(OutcomeFinished);

    destination_.close();
    report_.close();
    remote_.reset();
    return OutcomeFinished;
}

bool TestRun::stopRequested(int pollPoint) {
    if (const auto& observer = worker_hooks::PollObserver()) {
        observer(pollPoint);
    }
    return CancelRequest.load() != StopNone;
}

// Releases all that the run holds but the session, then posts the finished notification.
unsigned TestRun::end(unsigned outcome) {
    release();
    notifier_.finished(outcome);
    return outcome;
}

// The outcome of a stop is the stop request as it stands when it is posted.
unsigned TestRun::endStopped() {
    release();
    const int request = CancelRequest.load();
    const unsigned outcome = request == StopExit ? OutcomeExitRequested : OutcomeCancelled;
    notifier_.finished(outcome);
    return outcome;
}

void TestRun::release() {
    destination_.close();
    if (reportOpen_) {
        report_.close();
        reportOpen_ = false;
    }
    remote_.reset();
}

}  // namespace

unsigned TestWorker(const TestRequest* request) {
    RunningWorker running;
    TestRun run(*request);
    return run.run();
}

void WaitForTestWorkers() {
    std::unique_lock lock(runningMutex);
    runningChanged.wait(lock, [] { return runningWorkers == 0; });
}
