#pragma once

// Why an Internet operation failed, in words a user can act on: what failed, against which
// server and port, or which proxy. Never an error number: where no words are known for one,
// the transfer library's own are given.
#include <string>

#include "platform/win_types.h"

class CInternetException;

struct InternetFailure {
    DWORD error = 0;     // the platform's error number
    std::string server;  // as the URL names it
    unsigned port = 0;
    std::string proxy;      // "host:port" the transfer went through; "" when it went direct
    DWORD proxyStatus = 0;  // the proxy's HTTP status refusing a tunnel, 0 for none
    int systemError = 0;    // the system's reason a connection failed (errno), 0 for none
    std::string detail;     // the transfer library's words
    std::string response;   // what the server answered, when that is the reason
};

// The server's last response on this thread, "" when there is none.
std::string LastServerResponse();

// The calling thread's last failed Internet call, with error (0: the thread's last error),
// against server and port.
InternetFailure LastInternetFailure(DWORD error, const std::string& server, unsigned port);
// The failure an exception carries, against server and port.
InternetFailure InternetFailureOf(const CInternetException& e, const std::string& server,
                                  unsigned port);

// "could not connect to example.org port 8080: connection refused",
// "the proxy 10.0.0.1 port 3128 refused the connection".
std::string InternetFailureText(const InternetFailure& failure);
