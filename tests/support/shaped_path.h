#pragma once

// The path from a client to a server through a router with a queue, built from three network
// namespaces made for one test and deleted with it, joined by veth pairs: the router's link
// towards the client is shaped by a token bucket holding at most queueLimit bytes, which is the
// queue a download fills. Loopback and the machine's own congestion control show no such
// queue. Needs root: ready() is false with why() otherwise, and the test should then skip.
//
//   ShapedPath path({.rate = "20mbit", .queueLimit = "1500kb"});
//   if (!path.ready()) GTEST_SKIP() << path.why();
//   CubicHttpServer server(path, folder);      // serves folder at path.serverUrl("/f.bin")
//   RunCli("/bin/ip", path.inClient({program, url}));
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

struct PathShape {
    std::string rate = "20mbit";
    std::string queueLimit = "1500kb";
};

class ShapedPath {
public:
    explicit ShapedPath(const PathShape& shape);
    ~ShapedPath();
    ShapedPath(const ShapedPath&) = delete;
    ShapedPath& operator=(const ShapedPath&) = delete;

    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    // The arguments of /bin/ip that run argv in the client's or the server's namespace.
    std::vector<std::string> inClient(const std::vector<std::string>& argv) const;
    std::vector<std::string> inServer(const std::vector<std::string>& argv) const;
    // The server's address, as the client reaches it through the router.
    static const char* serverAddress();

private:
    bool run(const std::vector<std::string>& argv);

    std::vector<std::string> namespaces_;
    std::string why_;
};

// A small HTTP/1.1 server in the path's server namespace, its connections on CUBIC as most of
// the Internet's are, serving a folder on port 8080. Each connection and each request line is
// logged.
class CubicHttpServer {
public:
    CubicHttpServer(const ShapedPath& path, const std::string& folder);
    ~CubicHttpServer();

    std::string url(const std::string& path) const;
    // "connection 192.0.2.1", "request HEAD /f.bin HTTP/1.1 200", one a line.
    std::string log() const;

private:
    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
};

}  // namespace testsupport
