#pragma once

// A file being read: an HTTP response, an FTP or a gopher file opened by InternetOpenUrlA (with a
// transfer of its own, already begun), or an FTP file opened by FtpOpenFileA (through its
// connection, begun at the first read).
#include <cstdint>
#include <memory>
#include <string>

#include "platform/internet/curl_transfer.h"
#include "platform/internet/internet_handle.h"
#include "platform/last_error.h"

class FtpConnection;

class RemoteFile final : public InternetHandle {
public:
    // Opened by URL: the transfer has begun.
    RemoteFile(DWORD type, DWORD_PTR context, InternetTimeouts timeouts,
               std::unique_ptr<CurlTransfer> transfer);
    // Opened on an FTP connection that this file has claimed.
    RemoteFile(DWORD_PTR context, std::shared_ptr<FtpConnection> connection, std::string url,
               bool ascii);
    ~RemoteFile() override;

    DWORD read(void* buffer, DWORD size, DWORD* got) {
        if (reading_ == nullptr) {
            return readFirst(buffer, size, got);
        }
        const DWORD error = reading_->read(buffer, size, got);
        position_ += *got;
        return error;
    }
    DWORD available(DWORD* count);
    // Moves forward to an absolute position by reading past the bytes in between.
    DWORD skipTo(std::uint64_t position);
    std::uint64_t position() const { return position_; }
    // The file's size: as learned by the transfer under way, or else asked of the server.
    DWORD size(std::int64_t* size);

    static bool holdsType(DWORD type) {
        return type == INTERNET_HANDLE_TYPE_FTP_FILE || type == INTERNET_HANDLE_TYPE_HTTP_REQUEST ||
               type == INTERNET_HANDLE_TYPE_GOPHER_FILE;
    }
    bool isHttp() const { return type() == INTERNET_HANDLE_TYPE_HTTP_REQUEST; }
    bool isFtp() const { return type() == INTERNET_HANDLE_TYPE_FTP_FILE; }
    const ResponseHeaders& headers() const { return transfer().headers(); }
    // The server's address as connected; empty before the transfer has connected.
    std::string peerAddress() const;
    // Where the time of the connection went; false once closed.
    bool timings(INTERNET_CONNECTION_TIMINGS* timings) const;
    std::string effectiveUrl() const;
    // A new descriptor of the socket the data arrives on; -1 before it has connected.
    int duplicateSocket() const;
    void close() override;

private:
    CurlTransfer& transfer() const;
    DWORD start();
    // A read before the transfer has begun, or after the file was closed.
    DWORD readFirst(void* buffer, DWORD size, DWORD* got);

    std::unique_ptr<CurlTransfer> own_;
    std::shared_ptr<FtpConnection> connection_;
    std::string url_;
    bool ascii_ = false;
    bool started_ = false;
    DWORD startError_ = ERROR_SUCCESS;
    bool closed_ = false;
    std::uint64_t position_ = 0;
    // The transfer that reads go to, once it has begun well; null before and after.
    CurlTransfer* reading_ = nullptr;
};
