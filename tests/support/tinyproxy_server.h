#pragma once

// Debian's tinyproxy (/usr/bin/tinyproxy) in the foreground on 127.0.0.1 at a free port,
// taking requests from this machine only, tunnelling CONNECT to any port. The constructor
// returns once the port accepts connections; the destructor stops it.
//
//   TinyproxyServer proxy;
//   environment.set("https_proxy", proxy.url());   // "http://127.0.0.1:<port>"
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

class TinyproxyServer {
public:
    TinyproxyServer();
    ~TinyproxyServer();
    TinyproxyServer(const TinyproxyServer&) = delete;
    TinyproxyServer& operator=(const TinyproxyServer&) = delete;

    int port() const { return port_; }
    std::string url() const;
    // The proxy's log: one line per connection it opened (for diagnosis and checks).
    std::string log() const;

private:
    bool start();

    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
};

}  // namespace testsupport
