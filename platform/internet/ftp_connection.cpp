#include "platform/internet/ftp_connection.h"

#include <cctype>

#include "platform/last_error.h"

FtpConnection::FtpConnection(DWORD_PTR context, InternetTimeouts timeouts,
                             std::unique_ptr<CurlTransfer> transfer, std::string baseUrl)
    : InternetHandle(INTERNET_HANDLE_TYPE_CONNECT_FTP, context, timeouts),
      transfer_(std::move(transfer)),
      baseUrl_(std::move(baseUrl)) {}

void FtpConnection::prepare(const std::string& url, bool noBody) {
    CURL* easy = transfer_->easy();
    transfer_->setTimeouts(timeouts());
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, noBody ? 1L : 0L);
}

DWORD FtpConnection::login() {
    // A request without a body on the login folder: it logs in and goes no further.
    prepare(baseUrl_, true);
    return transfer_->perform(CurlTransfer::Protocol::Ftp);
}

std::string FtpConnection::fileUrl(std::string_view name) const {
    static const char hex[] = "0123456789ABCDEF";
    std::string url = baseUrl_;
    if (!name.empty() && name.front() == '/') {
        // An encoded first slash makes libcurl send the absolute path as it is.
        url += "%2F";
        name.remove_prefix(1);
    }
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

DWORD FtpConnection::querySize(const std::string& url, std::int64_t* size) {
    // Without a body libcurl sends SIZE and opens no data connection.
    prepare(url, true);
    const DWORD error = transfer_->perform(CurlTransfer::Protocol::Ftp);
    *size = error == ERROR_SUCCESS ? transfer_->contentLength() : -1;
    return error;
}

DWORD FtpConnection::beginRetrieval(const std::string& url, bool ascii) {
    prepare(url, false);
    curl_easy_setopt(transfer_->easy(), CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    return transfer_->begin(CurlTransfer::Protocol::Ftp);
}
