#pragma once

// nginx serving a directory over TLS on 127.0.0.1 at a free port, with a self-signed
// certificate made by openssl when the server starts: no client trusts it. The constructor
// returns once the port accepts connections; the destructor stops the server.
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {
class ChildProcess;
}

class HttpsServer {
public:
    explicit HttpsServer(const std::string& rootDir);
    ~HttpsServer();
    HttpsServer(const HttpsServer&) = delete;
    HttpsServer& operator=(const HttpsServer&) = delete;

    // path begins with "/".
    std::string url(const std::string& path) const;
    // Requests the server answered, one line each.
    std::string accessLog() const;

private:
    testsupport::TempDir work_;
    std::unique_ptr<testsupport::ChildProcess> process_;
    int port_ = 0;
};
