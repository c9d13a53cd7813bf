#pragma once

// Small loopback helpers for the servers: a free port, a plain HTTP GET, a ready file.
//
//   int port = freeTcpPort();
//   std::string body = loopbackHttpGet(port, "/");   // "" when nothing answers
#include <optional>
#include <string>

namespace testsupport {

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeTcpPort();

// The whole response (status line, headers and body) of "GET path" sent to 127.0.0.1:port,
// with a short time-out; "" when the connection or the exchange fails.
std::string loopbackHttpGet(int port, const std::string& path);

// The port number a server wrote to its ready file, once the file exists.
std::optional<int> readReadyPort(const std::string& readyFile);

}  // namespace testsupport
