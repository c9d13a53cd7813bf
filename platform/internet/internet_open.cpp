// InternetOpenA and InternetOpenUrlA.
#include "platform/internet/internet_open.h"

#include <cstring>
#include <memory>

#include "platform/internet/curl_options.h"
#include "platform/internet/curl_transfer.h"
#include "platform/internet/remote_file.h"
#include "platform/internet/request_url.h"
#include "platform/internet/session_handle.h"
#include "platform/internet/transfer_error_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

HINTERNET fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

std::string textOrEmpty(const char* text) {
    return text ? text : "";
}

// The caller's extra headers, one per CR LF separated line.
curl_slist* addHeaderLines(curl_slist* list, const char* headers, DWORD length) {
    if (!headers || length == 0) {
        return list;
    }
    const std::string_view all(headers, length == 0xFFFFFFFF ? std::strlen(headers) : length);
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = all.size();
        }
        if (end > start) {
            list = curl_slist_append(list, std::string(all.substr(start, end - start)).c_str());
        }
        start = end + 1;
    }
    return list;
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy,
                        const char* proxyBypass, DWORD /*flags*/) {
    // INTERNET_FLAG_ASYNC is accepted, but every call stays synchronous: callers rely on a
    // call having completed when it returns.
    if (accessType == INTERNET_OPEN_TYPE_PROXY && (!proxy || !*proxy)) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    SessionSettings settings{textOrEmpty(agent), accessType, textOrEmpty(proxy),
                             textOrEmpty(proxyBypass)};
    return addHandle(std::make_shared<SessionHandle>(std::move(settings), 0));
}

HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers,
                           DWORD headersLength, DWORD flags, DWORD_PTR context) {
    // A failure before any transfer has no words of the transfer library's.
    setLastTransferErrorText({});
    const std::shared_ptr<SessionHandle> owner = findHandleOf<SessionHandle>(session);
    if (!owner) {
        return nullptr;
    }
    if (!url) {
        return fail(ERROR_INVALID_PARAMETER);
    }
    RequestUrl checked;
    if (const DWORD error = checkRequestUrl(url, &checked); error != ERROR_SUCCESS) {
        return fail(error);
    }
    auto transfer = std::make_unique<CurlTransfer>();
    if (!transfer->valid()) {
        return fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    CURL* easy = transfer->easy();
    applySessionSettings(easy, owner->settings());
    transfer->setTimeouts(owner->timeouts());
    curl_easy_setopt(easy, CURLOPT_URL, checked.text.c_str());
    transfer->setProxy(proxyInEffect(owner->settings(), checked.text));

    curl_slist* requestHeaders = addHeaderLines(nullptr, headers, headersLength);
    if (flags & INTERNET_FLAG_RELOAD) {
        // Fetched from the origin server: no cache on the way may answer.
        requestHeaders = curl_slist_append(requestHeaders, "Cache-Control: no-cache");
        requestHeaders = curl_slist_append(requestHeaders, "Pragma: no-cache");
    }
    transfer->setRequestHeaders(requestHeaders);
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, (flags & INTERNET_FLAG_TRANSFER_ASCII) ? 1L : 0L);

    CurlTransfer::Protocol protocol = CurlTransfer::Protocol::Http;
    DWORD type = INTERNET_HANDLE_TYPE_HTTP_REQUEST;
    if (checked.scheme == UrlScheme::Ftp) {
        protocol = CurlTransfer::Protocol::Ftp;
        type = INTERNET_HANDLE_TYPE_FTP_FILE;
    } else if (checked.scheme == UrlScheme::Gopher) {
        protocol = CurlTransfer::Protocol::Gopher;
        type = INTERNET_HANDLE_TYPE_GOPHER_FILE;
    }
    DWORD error = transfer->begin(protocol);
    if (protocol == CurlTransfer::Protocol::Ftp &&
        transfer->result() == CURLE_REMOTE_FILE_NOT_FOUND) {
        // libcurl asks SIZE before RETR and takes a 550 answer for a missing file, but some
        // servers refuse SIZE so for every file. Asked again without SIZE, RETR itself tells;
        // the file is then read to the end of its data, whatever its size.
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
        error = transfer->begin(protocol);
    }
    if (error != ERROR_SUCCESS) {
        return fail(error);
    }
    return addHandle(
        std::make_shared<RemoteFile>(type, context, owner->timeouts(), std::move(transfer)));
}
