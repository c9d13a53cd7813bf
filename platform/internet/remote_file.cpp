#include "platform/internet/remote_file.h"

#include <algorithm>

#include "platform/internet/ftp_connection.h"
#include "platform/last_error.h"

RemoteFile::RemoteFile(DWORD type, DWORD_PTR context, InternetTimeouts timeouts,
                       std::unique_ptr<CurlTransfer> transfer)
    : InternetHandle(type, context, timeouts),
      own_(std::move(transfer)),
      started_(true),
      reading_(own_.get()) {}

RemoteFile::RemoteFile(DWORD_PTR context, std::shared_ptr<FtpConnection> connection,
                       std::string url, bool ascii)
    : InternetHandle(INTERNET_HANDLE_TYPE_FTP_FILE, context, connection->timeouts()),
      connection_(std::move(connection)),
      url_(std::move(url)),
      ascii_(ascii) {}

RemoteFile::~RemoteFile() {
    close();
}

CurlTransfer& RemoteFile::transfer() const {
    return own_ ? *own_ : connection_->transfer();
}

void RemoteFile::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    reading_ = nullptr;
    // The object may outlive its handle for a while (a thread's remembered look-up): the
    // transfer and its connection go now.
    own_.reset();
    if (connection_) {
        // A retrieval cut short loses the control connection; libcurl logs in again for the
        // next request.
        connection_->transfer().stop();
        connection_->releaseFile();
        connection_.reset();
    }
}

std::string RemoteFile::effectiveUrl() const {
    return closed_ ? std::string() : transfer().effectiveUrl();
}

std::string RemoteFile::peerAddress() const {
    return closed_ ? std::string() : transfer().peerAddress();
}

bool RemoteFile::timings(INTERNET_CONNECTION_TIMINGS* timings) const {
    if (closed_) {
        return false;
    }
    *timings = transfer().timings();
    return true;
}

int RemoteFile::duplicateSocket() const {
    return closed_ ? -1 : transfer().duplicateSocket();
}

DWORD RemoteFile::start() {
    if (closed_) {
        return ERROR_INVALID_HANDLE;
    }
    if (!started_) {
        started_ = true;
        startError_ = connection_->beginRetrieval(url_, ascii_);
        if (startError_ == ERROR_SUCCESS) {
            reading_ = &connection_->transfer();
        }
    }
    return startError_;
}

DWORD RemoteFile::readFirst(void* buffer, DWORD size, DWORD* got) {
    *got = 0;
    if (const DWORD error = start(); error != ERROR_SUCCESS) {
        return error;
    }
    const DWORD error = transfer().read(buffer, size, got);
    position_ += *got;
    return error;
}

DWORD RemoteFile::available(DWORD* count) {
    *count = 0;
    if (const DWORD error = start(); error != ERROR_SUCCESS) {
        return error;
    }
    return transfer().available(count);
}

DWORD RemoteFile::skipTo(std::uint64_t position) {
    char scratch[16 * 1024];
    while (position_ < position) {
        DWORD got = 0;
        const DWORD want =
            static_cast<DWORD>(std::min<std::uint64_t>(sizeof scratch, position - position_));
        if (const DWORD error = read(scratch, want, &got); error != ERROR_SUCCESS) {
            return error;
        }
        if (got == 0) {
            break;  // the end of the data comes first
        }
    }
    return ERROR_SUCCESS;
}

DWORD RemoteFile::size(std::int64_t* size) {
    *size = -1;
    if (closed_) {
        return ERROR_INVALID_HANDLE;
    }
    if (started_) {
        *size = transfer().contentLength();
        return startError_;
    }
    return connection_->querySize(url_, size);
}
