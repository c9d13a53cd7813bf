#pragma once

// An HTTP/1.1 server on a loopback address (127.0.0.1 unless told another, a free port) whose
// answer the test picks by the path.
// A name may follow the path ("/data/f.bin" is "/data"). Bodies follow the pattern of
// test_files.h. Every request's header block is recorded as
// received before the answer goes out, so requests() is complete once the client has read
// the status line.
//
//   /data?size=N                   200 with Content-Length N
//   /nolength?size=N               200 without Content-Length; the end is the connection's close
//   /chunked?size=N[&chunk=K]      200, chunked, chunks of K bytes (default 1000)
//   /drop?size=N&after=M           Content-Length N, M bytes, then the connection is reset
//   /stall?size=N&after=M          Content-Length N, M bytes, then nothing (held open)
//   /stallheaders                  reads the request and never answers
//   /paced?first=F&chunk=C&count=N&delay=D&wait=W
//                                  nothing for W ms, then the headers and F bytes in one send,
//                                  then N chunks of C bytes, each after D ms
//   /gated?size=N&after=M&gate=PATH
//                                  Content-Length N, M bytes, then the rest once the file PATH
//                                  exists (percent-encode it); reset after a minute shut
//   /length?length=L&send=M        Content-Length L (any text, e.g. 6000000000), M bytes, held
//   /status?code=C                 status C with the body "status C body\n"
//   /ranges?size=N[&rate=B][&wrong=1][&drop=1]
//                                  serves byte ranges (206 with Content-Range), each connection
//                                  at most B bytes a second; wrong=1: Content-Range one byte
//                                  off; drop=1: the first range not starting at 0 is reset
//                                  halfway
//   /redirect?to=URL[&code=302]    redirect to URL (percent-encode it in the query)
//   /loop[?n=K]                    302 to /loop?n=K+1, for ever
//   anything else                  404
//
//   ScriptedHttpServer http;
//   open(http.url("/drop?size=100000&after=5000"));
//   EXPECT_EQ(http.requests().at(0).header("Pragma"), "no-cache");
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

struct RecordedRequest {
    std::string raw;          // the header block as received, with its final empty line
    std::string requestLine;  // "GET /data?size=1 HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of the first header of that name (case-insensitive), if any.
    std::optional<std::string> header(const std::string& name) const;
};

class ScriptedHttpServer {
public:
    // address: any of 127.0.0.0/8.
    explicit ScriptedHttpServer(const std::string& address = "127.0.0.1");
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    int port() const { return port_; }
    const std::string& address() const { return address_; }
    // pathAndQuery begins with "/".
    std::string url(const std::string& pathAndQuery) const;
    std::vector<RecordedRequest> requests() const;

private:
    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
    std::string address_;
    int port_ = 0;
};

// Percent-encodes a text for use as a query value (e.g. the target of /redirect).
std::string queryEncode(const std::string& text);

}  // namespace testsupport
