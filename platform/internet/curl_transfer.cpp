#include "platform/internet/curl_transfer.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "platform/internet/curl_errors.h"
#include "platform/internet/curl_global.h"
#include "platform/internet/curl_options.h"
#include "platform/internet/transfer_error_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

// Longest single wait for the socket; libcurl's own timers shorten it.
constexpr int kPollMs = 1000;

}  // namespace

CurlTransfer::CurlTransfer() : received_(kReceiveBufferSize) {
    ensureCurlInitialized();
    easy_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (easy_) {
        curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlTransfer::onRequestReady);
        curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
        curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &CurlTransfer::onOpenSocket);
        curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransfer::onCloseSocket);
        curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETDATA, this);
    }
}

CurlTransfer::~CurlTransfer() {
    stop();
    if (multi_) {
        curl_multi_cleanup(multi_);
    }
    if (easy_) {
        curl_easy_cleanup(easy_);
    }
    curl_slist_free_all(requestHeaders_);
}

void CurlTransfer::setRequestHeaders(curl_slist* headers) {
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers);
    curl_slist_free_all(requestHeaders_);
    requestHeaders_ = headers;
}

void CurlTransfer::reset(Protocol protocol, bool keepBody) {
    stop();
    protocol_ = protocol;
    keepBody_ = keepBody;
    opened_ = done_ = paused_ = false;
    result_ = CURLE_OK;
    received_.clear();
    headers_ = ResponseHeaders();
    replies_ = FtpReplyCollector();
    lastProgress_ = {};
    errorText_[0] = '\0';
    setLastTransferErrorText({});
}

void CurlTransfer::setTimeouts(const InternetTimeouts& timeouts) {
    applyTimeouts(easy_, timeouts);
    const bool unlimited = timeouts.receiveMs == 0 || timeouts.receiveMs == 0xFFFFFFFF;
    stallLimit_ = std::chrono::milliseconds(unlimited ? 0 : timeouts.receiveMs);
}

bool CurlTransfer::silentTooLong() const {
    return stallLimit_.count() > 0 && lastProgress_ != std::chrono::steady_clock::time_point{} &&
           std::chrono::steady_clock::now() - lastProgress_ >= stallLimit_;
}

void CurlTransfer::stop() {
    if (added_) {
        curl_multi_remove_handle(multi_, easy_);
        added_ = false;
    }
}

DWORD CurlTransfer::perform(Protocol protocol) {
    if (!valid()) {
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
    reset(protocol, false);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
    added_ = true;
    while (!done_) {
        pump();
    }
    // Taken out of the multi handle, the easy handle can take new options; the connection
    // stays in the multi handle's cache for the next request.
    stop();
    return failure();
}

DWORD CurlTransfer::begin(Protocol protocol) {
    if (!valid()) {
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
    reset(protocol, true);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) {
        return ERROR_INTERNET_INTERNAL_ERROR;
    }
    added_ = true;
    while (!opened_ && !done_) {
        pump();
    }
    // Data that arrived before a failure is handed out first; the failure comes after it.
    return opened_ || result_ == CURLE_OK ? ERROR_SUCCESS : failure();
}

DWORD CurlTransfer::readWhenEmpty(void* buffer, DWORD size, DWORD* got) {
    *got = 0;
    if (size == 0) {
        return ERROR_SUCCESS;
    }
    while (held() == 0) {
        if (done_) {
            return failure();
        }
        pump();
    }
    *got = static_cast<DWORD>(received_.take(buffer, size));
    return ERROR_SUCCESS;
}

DWORD CurlTransfer::available(DWORD* count) {
    while (held() == 0 && !done_) {
        pump();
    }
    *count = static_cast<DWORD>(std::min<std::size_t>(held(), 0xFFFFFFFF));
    return held() == 0 ? failure() : ERROR_SUCCESS;
}

void CurlTransfer::pump() {
    const bool wasOpened = opened_;
    if (paused_ && held() == 0) {
        paused_ = false;
        noteProgress();  // the silence that counts begins now, not when the pause began
        curl_easy_pause(easy_, CURLPAUSE_CONT);
        if (held() > 0) {
            return;
        }
    }
    int running = 0;
    curl_multi_perform(multi_, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            done_ = true;
            result_ = message->data.result;
        }
    }
    // Whatever libcurl brought (data, the end, the opening) is for the caller to look at.
    if (done_ || held() > 0 || opened_ != wasOpened) {
        return;
    }
    curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
    if (silentTooLong()) {
        stop();
        done_ = true;
        result_ = CURLE_OPERATION_TIMEDOUT;
    }
}

DWORD CurlTransfer::failure() const {
    long proxyStatus = 0;
    if (result_ != CURLE_OK) {
        long systemError = 0;
        curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &systemError);
        curl_easy_getinfo(easy_, CURLINFO_HTTP_CONNECTCODE, &proxyStatus);
        proxyStatus = proxyStatus >= 300 ? proxyStatus : 0;
        setLastTransferFailure({errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(result_),
                                static_cast<int>(systemError), proxy_, proxyStatus});
    }
    // A proxy that refuses the tunnel leaves the server out of reach.
    return proxyStatus != 0 ? ERROR_INTERNET_CANNOT_CONNECT
                            : internetErrorFromCurl(result_, errorText_, headers_.redirected());
}

std::string CurlTransfer::peerAddress() const {
    const char* ip = nullptr;
    long port = 0;
    if (curl_easy_getinfo(easy_, CURLINFO_PRIMARY_IP, &ip) != CURLE_OK || ip == nullptr ||
        *ip == '\0' || curl_easy_getinfo(easy_, CURLINFO_PRIMARY_PORT, &port) != CURLE_OK) {
        return {};
    }
    const std::string address = ip;
    const bool v6 = address.find(':') != std::string::npos;
    return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

INTERNET_CONNECTION_TIMINGS CurlTransfer::timings() const {
    const auto timer = [this](CURLINFO info) -> std::int64_t {
        curl_off_t microseconds = -1;
        return curl_easy_getinfo(easy_, info, &microseconds) == CURLE_OK ? microseconds : -1;
    };
    INTERNET_CONNECTION_TIMINGS timings;
    timings.nameLookupDone = timer(CURLINFO_NAMELOOKUP_TIME_T);
    timings.connectDone = timer(CURLINFO_CONNECT_TIME_T);
    timings.tlsDone = timer(CURLINFO_APPCONNECT_TIME_T);
    timings.firstByte = timer(CURLINFO_STARTTRANSFER_TIME_T);
    return timings;
}

std::string CurlTransfer::effectiveUrl() const {
    const char* url = nullptr;
    if (curl_easy_getinfo(easy_, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) {
        return {};
    }
    return url;
}

int CurlTransfer::duplicateSocket() const {
    return dataSocket_ == CURL_SOCKET_BAD ? -1 : ::fcntl(dataSocket_, F_DUPFD_CLOEXEC, 0);
}

// libcurl's own way of making a socket, noted: the one made last (an FTP file's data
// connection comes after its control connection) is the one the data arrives on.
curl_socket_t CurlTransfer::onOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
    const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
    if (socket != CURL_SOCKET_BAD) {
        static_cast<CurlTransfer*>(self)->dataSocket_ = socket;
    }
    return socket;
}

int CurlTransfer::onCloseSocket(void* self, curl_socket_t socket) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (transfer->dataSocket_ == socket) {
        transfer->dataSocket_ = CURL_SOCKET_BAD;
    }
    return ::close(socket);
}

std::int64_t CurlTransfer::contentLength() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        return -1;
    }
    return length;
}

size_t CurlTransfer::onBody(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    if (!transfer->keepBody_) {
        transfer->noteProgress();
        return bytes;
    }
    if (bytes == 0) {
        return 0;
    }
    transfer->received_.append(data, bytes);
    transfer->opened_ = true;
    transfer->noteProgress();
    // Paused at the first chunk, resumed once the reader has taken all. Asked from inside the
    // callback, the pause lets libcurl hand over the rest of what its receive brought and
    // stops it there: the layer holds at most one receive buffer, never refuses a chunk (a
    // refused chunk is copied by libcurl and handed over again), and copies each byte while
    // it is still in the processor's cache.
    if (!transfer->paused_) {
        transfer->paused_ = true;
        curl_easy_pause(transfer->easy_, CURLPAUSE_RECV);
    }
    return bytes;
}

int CurlTransfer::onRequestReady(void* self, char*, char*, int, int) {
    // Connected: from now on the server owes an answer.
    static_cast<CurlTransfer*>(self)->noteProgress();
    return CURL_PREREQFUNC_OK;
}

size_t CurlTransfer::onHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    transfer->noteProgress();
    if (transfer->protocol_ == Protocol::Http) {
        const int redirects = transfer->headers_.redirects();
        transfer->headers_.addLine(line);
        transfer->opened_ = transfer->opened_ || transfer->headers_.complete();
        if (transfer->headers_.redirects() != redirects) {
            // Off to the next address: connecting is the connect time-out's business, and
            // the silence counts again once the request is out.
            transfer->lastProgress_ = {};
        }
    } else if (transfer->protocol_ == Protocol::Ftp) {
        transfer->replies_.addLine(line);
        // 125 and 150 answer RETR: the data connection is open and the bytes are coming.
        const DWORD code = transfer->replies_.lastCode();
        if (code == 125 || code == 150) {
            transfer->opened_ = true;
        }
    }
    return bytes;
}
