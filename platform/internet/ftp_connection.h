#pragma once

// The handle InternetConnectA gives for FTP: one logged-in control connection, kept in its
// transfer's connection cache, through which the files opened on it are asked for their size
// and read, one file at a time.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/internet/curl_transfer.h"
#include "platform/internet/internet_handle.h"

class FtpConnection final : public InternetHandle {
public:
    FtpConnection(DWORD_PTR context, InternetTimeouts timeouts,
                  std::unique_ptr<CurlTransfer> transfer, std::string baseUrl);

    // Logs in; the platform error number.
    DWORD login();
    // The URL of a file name as the server should see it: relative to the login folder, or
    // absolute when it begins with "/".
    std::string fileUrl(std::string_view name) const;
    // Asks the server for a file's size (SIZE); -1 in *size when it cannot tell.
    DWORD querySize(const std::string& url, std::int64_t* size);
    // Starts reading a file (RETR) and returns once the server sends it.
    DWORD beginRetrieval(const std::string& url, bool ascii);
    CurlTransfer& transfer() { return *transfer_; }

    // One file at a time may be open on a connection.
    bool claimFile() { return !fileOpen_.exchange(true); }
    void releaseFile() { fileOpen_ = false; }

private:
    void prepare(const std::string& url, bool noBody);

    std::unique_ptr<CurlTransfer> transfer_;
    const std::string baseUrl_;
    std::atomic<bool> fileOpen_{false};
};
