#pragma once

// An HTTP server on 127.0.0.1 that answers every GET with a large Content-Length and then a
// kilobyte every few milliseconds until the client goes away: a download that is always
// under way, so that a test can stop it at leisure.
//
//   TrickleServer trickle;
//   std::string url = trickle.url("/slow.bin");
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace clitest {

class TrickleServer {
public:
    TrickleServer();
    ~TrickleServer();
    TrickleServer(const TrickleServer&) = delete;
    TrickleServer& operator=(const TrickleServer&) = delete;

    std::string url(const std::string& path) const;

private:
    void serve();
    void trickle(int connection);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace clitest
