#include "bandwidth/worker.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <time.h>
#include <unistd.h>

#include "bandwidth/connection_phases.h"
#include "bandwidth/destination_file.h"
#include "bandwidth/destination_name.h"
#include "bandwidth/ending.h"
#include "bandwidth/failure_cause.h"
#include "bandwidth/ftp_size_probe.h"
#include "bandwidth/history_recording.h"
#include "bandwidth/latency_figures.h"
#include "bandwidth/latency_probe.h"
#include "bandwidth/ranged_transfer.h"
#include "bandwidth/rate_sampler.h"
#include "bandwidth/report.h"
#include "bandwidth/report_opening.h"
#include "bandwidth/request.h"
#include "bandwidth/running_workers.h"
#include "bandwidth/worker_hooks_internal.h"
#include "bandwidth/worker_notifier.h"
#include "framework/exception.h"
#include "inet/http_file.h"
#include "inet/internet_file.h"
#include "inet/internet_session.h"
#include "inet/service_type.h"
#include "inet/split_url.h"
#include "inet/url_password.h"

namespace {

// Fetch from the origin server, store nothing in a cache, transfer in binary.
constexpr DWORD kOpenFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;
constexpr UINT kBlockSize = 1024;
// A plain GET asks for the whole file: only a 200 answer is the file. Anything else (a
// server's error page, a part of the file, no content) is not what was asked for.
constexpr DWORD kHttpOk = 200;

using MonotonicClock = std::chrono::steady_clock;

// The monotonic clock at the resolution of the system's tick, read in a few nanoseconds: cheap
// enough for every block, and fine enough for samples of 100 ms.
std::chrono::nanoseconds CoarseMonotonic() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

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
          programName_(request.programName),
          allowHttps_(request.allowHttps),
          connections_(request.connections),
          measureLatency_(request.measureLatency),
          endingSlot_(request.ending),
          notifier_(request.window),
          report_(ReportClock()) {}

    unsigned run();

private:
    void measureIdleLatency();
    unsigned open();
    unsigned learnLength();
    unsigned openLocalFiles();
    unsigned download();
    // The ranges' connections are handed to prober, when there is one, as they open.
    unsigned downloadInRanges(LatencyProber* prober);
    unsigned finishDownload(std::uint64_t bytes);
    // Removes the destination of a download that cannot be the server's file.
    void dropDestination();
    bool inRanges() const;

    bool stopRequested(int pollPoint);
    unsigned end(unsigned outcome);
    unsigned endStopped();
    void release();
    // Time since the worker asked to open the URL.
    std::chrono::nanoseconds sinceOpenAsked() const { return MonotonicClock::now() - openAsked_; }
    // Records the test in the history, leaves its ending in the request's slot and posts the
    // finished notification.
    void conclude(unsigned outcome);

    std::string typedUrl_;  // as the user gave it: the report keeps it so
    std::string url_;       // what is opened, split and named after
    std::string directory_;
    std::string programName_;
    bool allowHttps_;
    int connections_;
    bool measureLatency_;
    RateSampler sampler_;
    std::chrono::nanoseconds openAskedCoarse_{};
    std::shared_ptr<TestEndingSlot> endingSlot_;
    WorkerNotifier notifier_;

    MonotonicClock::time_point openAsked_{};
    std::chrono::system_clock::time_point startedAt_{};
    TestMeasurement measurement_;
    std::string serverAddress_;
    std::string finalUrl_;
    std::optional<LatencyProber> prober_;
    std::string cause_;
    std::string destinationPath_;

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
    measureIdleLatency();
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
    if (const auto& closing = worker_hooks::ClosingObserver()) {
        closing();
    }
    if (session_) {
        session_->Close();
        session_.reset();
    }
    return outcome;
}

// Before the clock starts: the round trips of an idle link must not count in the test's
// times, nor leave the server's first data waiting to be counted at no time.
void TestRun::measureIdleLatency() {
    if (!measureLatency_) {
        return;
    }
    std::optional<LatencyTarget> target = LatencyTargetOf(url_);
    if (!target || (target->port == 0)) {
        return;
    }
    prober_.emplace(std::move(*target));
    prober_->measureIdle([] { return CancelRequest.load() != StopNone; });
}

// Every step returns 0 to go on, or the outcome it ended the run with.
unsigned TestRun::open() {
    // A history made now, before the clock starts, leaves the end of the test only its row to
    // add; the report then holds no block of this test yet.
    PrepareHistory(directory_);
    startedAt_ = std::chrono::system_clock::now();
    openAsked_ = MonotonicClock::now();
    openAskedCoarse_ = CoarseMonotonic();
    measurement_.connectionsRequested = connections_;
    measurement_.connectionsUsed = 1;
    try {
        session_ = std::make_unique<CInternetSession>(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG,
                                                      nullptr, nullptr, 0);
    } catch (CException* e) {
        cause_ = CauseOf(*e, url_);
        e->Delete();
        return end(OutcomeOpenUrlException);
    }

    try {
        remote_.reset(session_->OpenRemote(url_.c_str(), 1, kOpenFlags, nullptr, 0));
    } catch (CException* e) {
        // A CInternetException, or a CFileException for a local file that cannot be opened.
        cause_ = CauseOf(*e, url_);
        e->Delete();
        return end(OutcomeOpenUrlException);
    }
    if (const auto& filter = worker_hooks::RemoteFileFilter()) {
        remote_.reset(filter(remote_.release()));
    }
    if (const auto* internetFile = dynamic_cast<const CInternetFile*>(remote_.get())) {
        serverAddress_ = internetFile->ConnectedAddress();
        if (const auto timings = internetFile->ConnectionTimings()) {
            measurement_.phases = PhasesOf(*timings);
        }
        finalUrl_ = MaskUrlPassword(internetFile->FinalUrl());
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
    if (serviceType_ == ServiceHttp || (serviceType_ == ServiceHttps && allowHttps_)) {
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
            char reason[256] = "";
            DWORD reasonSize = sizeof reason;
            cause_ = server_ + " port " + std::to_string(port_) + " answered with HTTP status " +
                     std::to_string(status);
            if (http->QueryHeader(HTTP_QUERY_STATUS_TEXT, reason, &reasonSize) && reason[0]) {
                cause_ += std::string(" ") + reason;
            }
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
        FtpProbeTarget target{server_, port_, object_, {}, {}};
        SplitUrlCredentials(url_.c_str(), target.user, target.password);
        const FtpProbeResult probe = ProbeFtpSize(
            target, [this] { return stopRequested(3); }, contentLength_, cause_);
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
    const DestinationName destination = DestinationOf(url_, directory_);
    if (destination.outcome != OutcomeFinished) {
        cause_ = destination.cause;
        return end(destination.outcome);
    }
    if (!destination_.open(destination.path)) {
        cause_ = "cannot create " + destination.path + ": " + SystemReason(errno);
        return end(OutcomeDestinationFailed);
    }
    destinationPath_ = destination.path;

    if (auto problem = OpenReport(report_, directory_)) {
        cause_ = std::move(*problem);
        return end(OutcomeReportFailed);
    }
    reportOpen_ = true;
    notifier_.started(contentLength_);
    report_.begin(typedUrl_);

    if (stopRequested(5)) {
        return endStopped();
    }
    return OutcomeFinished;
}

bool TestRun::inRanges() const {
    const bool rangedService = serviceType_ == ServiceHttp || serviceType_ == ServiceFtp ||
                               (serviceType_ == ServiceHttps && allowHttps_);
    // An empty file has no range to fetch, a file of unknown size no ranges to split.
    const bool sized = serviceType_ != ServiceFtp || contentLength_ != kFtpSizeUnknown;
    return connections_ > 1 && contentLength_ > 0 && sized && rangedService;
}

unsigned TestRun::downloadInRanges(LatencyProber* prober) {
    // The connection that learned the length goes; the ranges come on connections of their
    // own.
    remote_.reset();
    RangedTransfer transfer;
    transfer.session = session_->GetSessionHandle();
    transfer.url = url_;
    transfer.length = contentLength_;
    transfer.connections = connections_;
    transfer.destination = destination_.descriptor();
    transfer.flags = kOpenFlags;
    transfer.sinceOpenAsked = [this] { return sinceOpenAsked(); };
    const auto& pollObserver = worker_hooks::PollObserver();
    transfer.progress = [&](std::uint64_t bytes) {
        if (pollObserver) {
            pollObserver(6);
        }
        notifier_.progress(bytes / kBlockSize);
        return CancelRequest.load() == StopNone;
    };
    if (prober != nullptr) {
        // The probes' share of the load is counted against every connection's bytes.
        transfer.socketOpened = [prober](int socket) { prober->watchLoadedSocket(socket); };
    }
    const RangedTransferResult result = RunRangedTransfer(transfer, measurement_, sampler_);
    if (prober != nullptr) {
        prober->stopLoaded();
    }
    switch (result.ending) {
        case RangedTransferResult::Ending::Finished:
            break;
        case RangedTransferResult::Ending::Stopped:
            return endStopped();
        case RangedTransferResult::Ending::WriteFailed:
            cause_ = "cannot write " + destinationPath_ + ": " + SystemReason(result.writeError);
            dropDestination();
            return end(OutcomeDestinationFailed);
        case RangedTransferResult::Ending::Failed:
            cause_ = result.cause;
            // Ranges that never came leave holes: such a file is no part of the server's.
            dropDestination();
            return end(OutcomeOpenUrlException);
    }
    if (const auto& endOfData = worker_hooks::EndOfDataObserver()) {
        endOfData();
    }
    return finishDownload(measurement_.bytes);
}

void TestRun::dropDestination() {
    destination_.close();
    if (!destinationPath_.empty()) {
        ::unlink(destinationPath_.c_str());
        destinationPath_.clear();
    }
}

unsigned TestRun::download() {
    // The loaded probes run as long as the transfer does, whichever way it ends.
    struct LoadedProbes {
        LatencyProber* prober;
        ~LoadedProbes() {
            if (prober != nullptr) {
                prober->stopLoaded();
            }
        }
    } loaded{prober_ ? &*prober_ : nullptr};
    if (loaded.prober != nullptr) {
        if (const auto* internetFile = dynamic_cast<const CInternetFile*>(remote_.get())) {
            loaded.prober->watchLoadedSocket(internetFile->DuplicateDataSocket());
        }
        loaded.prober->startLoaded();
    }
    if (inRanges()) {
        return downloadInRanges(loaded.prober);
    }
    std::uint64_t blocks = 0;
    std::uint64_t bytes = 0;
    const auto& pollObserver = worker_hooks::PollObserver();
    try {
        // Each block is read straight into the destination's buffer: writing it is then
        // only counting it in.
        for (;;) {
            char* block = destination_.space(kBlockSize);
            if (block == nullptr) {
                cause_ = "cannot write " + destinationPath_ + ": " +
                         SystemReason(destination_.writeError());
                return end(OutcomeDestinationFailed);
            }
            const UINT n = remote_->Read(block, kBlockSize);
            if (n == 0) {
                measurement_.lastRead = sinceOpenAsked();
                sampler_.finish(*measurement_.lastRead, bytes);
                if (loaded.prober != nullptr) {
                    loaded.prober->stopLoaded();
                }
                break;
            }
            sampler_.note(CoarseMonotonic() - openAskedCoarse_, bytes + n);
            if (blocks == 0) {
                measurement_.firstByte = sinceOpenAsked();
            }
            if (pollObserver) {
                pollObserver(6);
            }
            if (CancelRequest.load() != StopNone) {
                measurement_.lastRead = sinceOpenAsked();
                return endStopped();
            }
            destination_.commit(n);
            bytes += n;
            measurement_.bytes = bytes;
            notifier_.progress(++blocks);
        }
    } catch (CException* e) {
        measurement_.lastRead = sinceOpenAsked();
        cause_ = CauseOf(*e, url_);
        e->Delete();
        return end(OutcomeOpenUrlException);
    }
    if (const auto& endOfData = worker_hooks::EndOfDataObserver()) {
        endOfData();
    }
    return finishDownload(bytes);
}

unsigned TestRun::finishDownload(std::uint64_t bytes) {
    // Both files reach the system before the window hears of the result.
    if (!destination_.flush()) {
        cause_ =
            "cannot write " + destinationPath_ + ": " + SystemReason(destination_.writeError());
        return end(OutcomeDestinationFailed);
    }
    if (!report_.finish(bytes)) {
        cause_ =
            "cannot write " + directory_ + "/" + TestReport::fileName + ": " + SystemReason(errno);
        return end(OutcomeReportFailed);
    }
    notifier_.lastProgress();
    conclude(OutcomeFinished);

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
    conclude(outcome);
    return outcome;
}

// The outcome of a stop is the stop request as it stands when it is posted.
unsigned TestRun::endStopped() {
    release();
    const int request = CancelRequest.load();
    const unsigned outcome = request == StopExit ? OutcomeExitRequested : OutcomeCancelled;
    conclude(outcome);
    return outcome;
}

void TestRun::conclude(unsigned outcome) {
    TestEnding ending;
    ending.outcome = outcome;
    ending.url = url_;
    ending.startedAt = startedAt_;
    if (measurement_.samples.empty()) {
        measurement_.samples = sampler_.samples();
    }
    ending.measurement = measurement_;
    ending.serverAddress = serverAddress_;
    ending.finalUrl = finalUrl_;
    if (prober_) {
        prober_->stopLoaded();
        ending.latency = LatencyFiguresOf(prober_->samples());
    }
    ending.cause = cause_;
    ending.destinationPath = destinationPath_;
    ending.reportOffset = report_.blockStart();

    // Recorded before the window hears of the end: whoever takes the finished notification
    // finds the test in the history, and never waits for the history itself.
    RecordTestInHistory(directory_, programName_, ending);

    if (endingSlot_) {
        endingSlot_->put(std::move(ending));
    }
    notifier_.finished(outcome);
}

void TestRun::release() {
    // A test that does not finish keeps no file that could pass for a whole download.
    if (destination_.isOpen()) {
        destination_.discard();
        destinationPath_.clear();
    }
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
