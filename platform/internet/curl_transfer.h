#pragma once

// One libcurl easy handle driven by a multi handle of its own, so that the caller pulls the
// data: a read hands out what the layer holds and only drives libcurl when it holds nothing,
// and libcurl pauses as soon as it has handed over what one receive brought, so memory stays
// bounded whatever the size of the file. One thread at a time.
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include <curl/curl.h>

#include "platform/internet/internet_timeouts.h"
#include "platform/internet/last_response.h"
#include "platform/internet/receive_buffer.h"
#include "platform/internet/response_headers.h"
#include "platform/internet/wininet_types.h"
#include "platform/last_error.h"
#include "platform/win_types.h"

class CurlTransfer {
public:
    // Gopher has no headers and no replies: its data begins at once.
    enum class Protocol { Http, Ftp, Gopher };

    CurlTransfer();
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Options are set here before begin() or perform(), and keep for later requests.
    CURL* easy() const { return easy_; }
    bool valid() const { return easy_ && multi_; }
    // Request headers to send, kept as long as the transfer (redirects send them again).
    void setRequestHeaders(curl_slist* headers);
    // The proxy this transfer goes through ("host:port", "" for none), told with a failure.
    void setProxy(std::string proxy) { proxy_ = std::move(proxy); }
    // Sets libcurl's time-outs, and the longest silence once the server has begun to answer
    // (libcurl's own stall check averages over several seconds; this one is exact).
    void setTimeouts(const InternetTimeouts& timeouts);

    // Runs one request whose body is not wanted (a login, a size query) to its end.
    // Returns the platform error number, ERROR_SUCCESS when it worked.
    DWORD perform(Protocol protocol);

    // Starts the transfer and blocks until its data can be read: for HTTP once the final
    // response headers are in, for FTP once the server has begun sending, or at the first
    // byte or the end. Returns the platform error number.
    DWORD begin(Protocol protocol);
    // Blocks until it can give 1 to size bytes; *got 0 only at the end of the data.
    DWORD read(void* buffer, DWORD size, DWORD* got) {
        // Called for every small block: what is held is handed out here, inline.
        if (held() != 0 && size != 0) {
            *got = static_cast<DWORD>(received_.take(buffer, size));
            return ERROR_SUCCESS;
        }
        return readWhenEmpty(buffer, size, got);
    }
    // Blocks until data is there or the transfer has ended; the count held now.
    DWORD available(DWORD* count);
    // Ends a transfer in progress; the easy handle can then be set up for another request.
    void stop();

    bool started() const { return added_; }
    // How libcurl ended the last request: CURLE_OK while it runs or when it worked.
    CURLcode result() const { return result_; }
    const ResponseHeaders& headers() const { return headers_; }
    // The length libcurl learned (Content-Length, FTP SIZE), -1 when unknown.
    std::int64_t contentLength() const;
    // The server's address and port as connected ("192.0.2.7:80", "[2001:db8::7]:21"); empty
    // before the transfer has connected.
    std::string peerAddress() const;
    // libcurl's own timers of the last request.
    INTERNET_CONNECTION_TIMINGS timings() const;
    // The URL the data comes from, after the redirects followed; empty before the transfer.
    std::string effectiveUrl() const;
    // A new descriptor of the socket the transfer's data arrives on; -1 before it has one.
    int duplicateSocket() const;

private:
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static int onRequestReady(void* self, char* ip, char* localIp, int port, int localPort);
    static curl_socket_t onOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int onCloseSocket(void* self, curl_socket_t socket);

    void reset(Protocol protocol, bool keepBody);
    DWORD readWhenEmpty(void* buffer, DWORD size, DWORD* got);
    // Makes progress: resumes a paused transfer, runs libcurl once, and waits for the socket
    // when that brought nothing.
    void pump();
    DWORD failure() const;
    void noteProgress() { lastProgress_ = std::chrono::steady_clock::now(); }
    bool silentTooLong() const;
    std::size_t held() const { return received_.held(); }

    CURL* easy_ = nullptr;
    curl_slist* requestHeaders_ = nullptr;
    CURLM* multi_ = nullptr;
    curl_socket_t dataSocket_ = CURL_SOCKET_BAD;
    char errorText_[CURL_ERROR_SIZE] = {};
    Protocol protocol_ = Protocol::Http;
    bool added_ = false;
    bool keepBody_ = true;
    bool opened_ = false;
    bool done_ = false;
    bool paused_ = false;
    CURLcode result_ = CURLE_OK;
    ReceiveBuffer received_;
    std::chrono::milliseconds stallLimit_{0};
    std::chrono::steady_clock::time_point lastProgress_{};
    ResponseHeaders headers_;
    FtpReplyCollector replies_;
    std::string proxy_;
};
