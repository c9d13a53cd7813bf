#include "platform/internet/ranged_download.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/internet/curl_errors.h"
#include "platform/internet/curl_global.h"
#include "platform/internet/curl_options.h"
#include "platform/internet/range_book.h"
#include "platform/internet/response_headers.h"
#include "platform/internet/session_handle.h"
#include "platform/last_error.h"

namespace {

using Clock = std::chrono::steady_clock;

// The longest wait for the sockets: how soon progress is told and a stop is seen.
constexpr int kRoundMs = 100;
// What each connection gathers before handing it to the system: fewer, larger writes.
constexpr std::size_t kGatherSize = 256 * 1024;

bool isFtpUrl(std::string_view url) {
    constexpr std::string_view ftp = "ftp://";
    if (url.size() < ftp.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ftp.size(); ++i) {
        if ((url[i] | 0x20) != ftp[i] && url[i] != ftp[i]) {
            return false;
        }
    }
    return true;
}

// "bytes 0-99/1000" -> first 0, last 99, total 1000 ("*" for an unknown total is taken).
struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::optional<std::uint64_t> total;
};

std::optional<ContentRange> parseContentRange(std::string_view text) {
    constexpr std::string_view unit = "bytes ";
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    if (text.substr(0, unit.size()) != unit) {
        return std::nullopt;
    }
    text.remove_prefix(unit.size());
    const std::size_t dash = text.find('-');
    const std::size_t slash = text.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
        return std::nullopt;
    }
    const auto first = parseDecimal(text.substr(0, dash));
    const auto last = parseDecimal(text.substr(dash + 1, slash - dash - 1));
    if (!first || !last) {
        return std::nullopt;
    }
    ContentRange range{*first, *last, std::nullopt};
    const std::string_view total = text.substr(slash + 1);
    if (total.find('*') == std::string_view::npos) {
        range.total = parseDecimal(total);
        if (!range.total) {
            return std::nullopt;
        }
    }
    return range;
}

class Download;

// One connection: its easy handle, the answer to its current request and what it gathered.
struct Connection {
    Download* owner = nullptr;
    std::size_t index = 0;
    CURL* easy = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    ResponseHeaders headers;
    bool answerChecked = false;
    bool refused = false;   // the server sent the whole file to a ranged request
    bool cutShort = false;  // stopped by us: its range was taken over
    std::string rejection;  // why its answer cannot be used
    bool retried = false;
    bool running = false;
    std::string rangeText;
    std::uint64_t requestedNext = 0;
    std::uint64_t requestedEnd = 0;
    std::unique_ptr<char[]> gathered;
    std::size_t gatheredSize = 0;
    std::uint64_t gatheredOffset = 0;
    ConnectionShare share;
    Clock::time_point firstData{};
    Clock::time_point lastData{};
};

class Download {
public:
    Download(const SessionHandle& session, const RangedDownloadRequest& request)
        : session_(session),
          request_(request),
          ftp_(isFtpUrl(request.url)),
          book_(request.length, request.connections, request.minimumTakeover) {}
    ~Download();

    RangedDownloadResult run(const std::function<bool(std::uint64_t)>& progress);

    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static curl_socket_t onOpenSocket(void* self, curlsocktype, curl_sockaddr* address);

private:
    bool start(Connection& connection, bool fresh);
    void stopAll();
    // Takes the end of one request; false when the download cannot go on.
    bool finished(Connection& connection, CURLcode code);
    bool flush(Connection& connection);
    void fetchWhole();
    void fail(DWORD error, std::string cause);

    const SessionHandle& session_;
    const RangedDownloadRequest& request_;
    const bool ftp_;
    RangeBook book_;
    bool whole_ = false;  // one connection, no range: the server serves none
    CURLM* multi_ = nullptr;
    curl_slist* requestHeaders_ = nullptr;
    std::vector<std::unique_ptr<Connection>> connections_;
    std::uint64_t bytes_ = 0;
    RangedDownloadResult result_;
    bool failed_ = false;
};

Download::~Download() {
    stopAll();
    for (auto& connection : connections_) {
        curl_easy_cleanup(connection->easy);
    }
    if (multi_) {
        curl_multi_cleanup(multi_);
    }
    curl_slist_free_all(requestHeaders_);
}

void Download::fail(DWORD error, std::string cause) {
    if (!failed_) {
        failed_ = true;
        result_.outcome = RangedDownloadResult::Outcome::Failed;
        result_.error = error;
        result_.cause = std::move(cause);
    }
}

// libcurl's own way of making a socket; the copy lets the caller read the connection's state
// from the kernel while it runs.
curl_socket_t Download::onOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
    if (socket != CURL_SOCKET_BAD) {
        const int copy = ::fcntl(socket, F_DUPFD_CLOEXEC, 0);
        if (copy >= 0) {
            static_cast<Download*>(self)->request_.socketOpened(copy);
        }
    }
    return socket;
}

bool Download::start(Connection& connection, bool fresh) {
    CURL* easy = connection.easy;
    curl_easy_reset(easy);
    applySessionSettings(easy, session_.settings());
    applyTimeouts(easy, session_.timeouts());
    curl_easy_setopt(easy, CURLOPT_URL, request_.url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders_);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, connection.errorText);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Download::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &connection);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Download::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &connection);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &connection);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, fresh ? 1L : 0L);
    if (request_.socketOpened) {
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, &Download::onOpenSocket);
        curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    }
    const RangeBook::Range& range = book_[connection.index];
    if (!whole_) {
        connection.rangeText = std::to_string(range.next) + "-" + std::to_string(range.end - 1);
        curl_easy_setopt(easy, CURLOPT_RANGE, connection.rangeText.c_str());
    }
    connection.errorText[0] = '\0';
    connection.headers = ResponseHeaders();
    connection.answerChecked = connection.refused = connection.cutShort = false;
    connection.rejection.clear();
    connection.requestedNext = range.next;
    connection.requestedEnd = range.end;
    connection.gatheredOffset = range.next;
    connection.gatheredSize = 0;
    if (curl_multi_add_handle(multi_, easy) != CURLM_OK) {
        fail(ERROR_INTERNET_INTERNAL_ERROR, "the transfer library could not start a connection");
        return false;
    }
    connection.running = true;
    return true;
}

void Download::stopAll() {
    for (auto& connection : connections_) {
        if (connection->running) {
            curl_multi_remove_handle(multi_, connection->easy);
            connection->running = false;
        }
    }
}

bool Download::flush(Connection& connection) {
    std::size_t done = 0;
    while (done < connection.gatheredSize) {
        const ssize_t n =
            ::pwrite(request_.fd, connection.gathered.get() + done, connection.gatheredSize - done,
                     static_cast<off_t>(connection.gatheredOffset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (result_.outcome != RangedDownloadResult::Outcome::WriteFailed) {
                result_.writeError = n < 0 ? errno : ENOSPC;
            }
            failed_ = true;
            result_.outcome = RangedDownloadResult::Outcome::WriteFailed;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    connection.gatheredOffset += connection.gatheredSize;
    connection.gatheredSize = 0;
    return true;
}

size_t Download::onHeader(char* data, size_t size, size_t count, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    const std::size_t bytes = size * count;
    Download& download = *connection.owner;
    if (download.ftp_ || connection.answerChecked) {
        return bytes;
    }
    connection.headers.addLine(std::string_view(data, bytes));
    if (!connection.headers.complete()) {
        return bytes;
    }
    connection.answerChecked = true;
    const int status = connection.headers.statusCode();
    if (download.whole_ ? status == 200 : status == 206) {
        if (download.whole_) {
            return bytes;
        }
        const auto header = connection.headers.value("Content-Range");
        const auto given = header ? parseContentRange(*header) : std::nullopt;
        // Against the range asked for: a takeover may have shortened it since.
        if (given && given->first == connection.requestedNext &&
            given->last == connection.requestedEnd - 1 &&
            (!given->total || *given->total == download.request_.length)) {
            return bytes;
        }
        connection.rejection =
            "the server answered the request for bytes " + connection.rangeText + " with " +
            (header ? "Content-Range \"" + *header + "\"" : std::string("no Content-Range"));
        return 0;
    }
    if (status == 200 && !download.whole_) {
        connection.refused = true;
        return 0;
    }
    connection.rejection = "the server answered with HTTP status " + std::to_string(status);
    if (const std::string text = connection.headers.statusText(); !text.empty()) {
        connection.rejection += " " + text;
    }
    return 0;
}

size_t Download::onBody(char* data, size_t size, size_t count, void* self) {
    auto& connection = *static_cast<Connection*>(self);
    Download& download = *connection.owner;
    const std::size_t arrived = size * count;
    const std::size_t taken =
        static_cast<std::size_t>(download.book_.accept(connection.index, arrived));
    std::size_t done = 0;
    while (done < taken) {
        const std::size_t room = kGatherSize - connection.gatheredSize;
        const std::size_t piece = taken - done < room ? taken - done : room;
        std::memcpy(connection.gathered.get() + connection.gatheredSize, data + done, piece);
        connection.gatheredSize += piece;
        done += piece;
        if (connection.gatheredSize == kGatherSize && !download.flush(connection)) {
            return 0;
        }
    }
    if (taken > 0) {
        const Clock::time_point now = Clock::now();
        if (connection.share.bytes == 0) {
            connection.firstData = now;
        }
        connection.lastData = now;
        connection.share.bytes += taken;
        download.bytes_ += taken;
        download.book_.advance(connection.index, taken);
    }
    if (taken < arrived || (download.book_.done(connection.index) &&
                            connection.requestedEnd > download.book_[connection.index].end)) {
        // The rest of this answer belongs to a connection that took it over.
        connection.cutShort = true;
        return 0;
    }
    return arrived;
}

void Download::fetchWhole() {
    stopAll();
    whole_ = true;
    book_ = RangeBook(request_.length, 1, request_.minimumTakeover);
    bytes_ = 0;
    for (auto& connection : connections_) {
        connection->share = {};
    }
    result_.rangesRefused = true;
    start(*connections_[0], false);
}

bool Download::finished(Connection& connection, CURLcode code) {
    curl_multi_remove_handle(multi_, connection.easy);
    connection.running = false;
    if (!flush(connection)) {
        return false;
    }
    if (connection.refused ||
        (!whole_ && (code == CURLE_FTP_COULDNT_USE_REST || code == CURLE_RANGE_ERROR))) {
        if (!whole_) {
            fetchWhole();
        }
        return true;
    }
    if (!connection.rejection.empty()) {
        fail(0, connection.rejection);
        return false;
    }
    const bool rangeDone = book_.done(connection.index);
    if (rangeDone && (code == CURLE_OK || connection.cutShort)) {
        if (book_.takeOver(connection.index)) {
            return start(connection, false);
        }
        return true;
    }
    // Failed, or ended before its range did: once more on a new connection, from where it
    // stopped.
    // A whole file without ranges can only start again from its beginning.
    if (!connection.retried && (!whole_ || book_[connection.index].next == 0)) {
        connection.retried = true;
        ++result_.retries;
        return start(connection, true);
    }
    std::string cause =
        connection.errorText[0] != '\0' ? connection.errorText : curl_easy_strerror(code);
    if (code == CURLE_OK) {
        cause = "the server ended the answer to bytes " + connection.rangeText + " early";
    }
    fail(internetErrorFromCurl(code, connection.errorText, connection.headers.redirected()), cause);
    return false;
}

RangedDownloadResult Download::run(const std::function<bool(std::uint64_t)>& progress) {
    ensureCurlInitialized();
    multi_ = curl_multi_init();
    if (!multi_) {
        fail(ERROR_NOT_ENOUGH_MEMORY, "out of memory");
        return result_;
    }
    if (request_.flags & INTERNET_FLAG_RELOAD) {
        requestHeaders_ = curl_slist_append(requestHeaders_, "Cache-Control: no-cache");
        requestHeaders_ = curl_slist_append(requestHeaders_, "Pragma: no-cache");
    }
    for (std::size_t i = 0; i < book_.size(); ++i) {
        auto connection = std::make_unique<Connection>();
        connection->owner = this;
        connection->index = i;
        connection->easy = curl_easy_init();
        connection->gathered = std::make_unique_for_overwrite<char[]>(kGatherSize);
        if (!connection->easy) {
            fail(ERROR_NOT_ENOUGH_MEMORY, "out of memory");
            return result_;
        }
        connections_.push_back(std::move(connection));
    }
    for (auto& connection : connections_) {
        if (!start(*connection, false)) {
            return result_;
        }
    }
    for (;;) {
        int running = 0;
        curl_multi_perform(multi_, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            Connection* connection = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &connection);
            const CURLcode code = message->data.result;
            if (connection && connection->running && !finished(*connection, code)) {
                break;
            }
        }
        if (failed_) {
            break;
        }
        if (progress && !progress(bytes_)) {
            result_.outcome = RangedDownloadResult::Outcome::Stopped;
            break;
        }
        bool anyRunning = false;
        for (const auto& connection : connections_) {
            anyRunning = anyRunning || connection->running;
        }
        if (!anyRunning) {
            result_.outcome = RangedDownloadResult::Outcome::Finished;
            break;
        }
        curl_multi_poll(multi_, nullptr, 0, kRoundMs, nullptr);
    }
    stopAll();
    result_.connectionsUsed = whole_ ? 1 : static_cast<int>(book_.size());
    for (std::size_t i = 0; i < static_cast<std::size_t>(result_.connectionsUsed); ++i) {
        Connection& connection = *connections_[i];
        connection.share.active = connection.lastData - connection.firstData;
        result_.shares.push_back(connection.share);
    }
    return result_;
}

}  // namespace

RangedDownloadResult InternetDownloadRanges(
    HINTERNET session, const RangedDownloadRequest& request,
    const std::function<bool(std::uint64_t bytes)>& progress) {
    const std::shared_ptr<SessionHandle> owner = findHandleOf<SessionHandle>(session);
    if (!owner) {
        RangedDownloadResult result;
        result.error = GetLastError();
        result.cause = "the Internet session is not open";
        return result;
    }
    Download download(*owner, request);
    return download.run(progress);
}
