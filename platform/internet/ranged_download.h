#pragma once

// One file fetched as byte ranges on several connections at once, each range written at its
// offset in the destination, so that the saved file is the server's byte for byte. HTTP asks
// with Range and takes only a 206 answer whose Content-Range is the range asked for; FTP
// starts each range with REST. A server that sends the whole file to a ranged request, or
// refuses REST, gets the file on one connection. A connection that fails is retried once on
// a new connection. All transfers run on the calling thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/internet/wininet_types.h"

struct RangedDownloadRequest {
    std::string url;
    std::uint64_t length = 0;  // the file's size, learned before
    int connections = 2;
    int fd = -1;      // the destination, written with pwrite at each range's offset
    DWORD flags = 0;  // INTERNET_FLAG_RELOAD sends the no-cache request headers
    // A range is halved for an idle connection only when each half holds at least this much:
    // a takeover costs the connection that gave it up a new request.
    std::uint64_t minimumTakeover = 1024 * 1024;
    // Optional, on the calling thread: a new descriptor (close-on-exec) of each socket the
    // connections open, the callee's to close.
    std::function<void(int socket)> socketOpened;
};

// What one connection fetched: its bytes, and the time from its first to its last byte.
struct ConnectionShare {
    std::uint64_t bytes = 0;
    std::chrono::nanoseconds active{0};
};

struct RangedDownloadResult {
    enum class Outcome { Finished, Failed, WriteFailed, Stopped };
    Outcome outcome = Outcome::Failed;
    DWORD error = 0;             // Failed: the platform's error number, 0 when the server's answer
    std::string cause;           // Failed: why, in words
    int writeError = 0;          // WriteFailed: the system's error number
    bool rangesRefused = false;  // the server does not serve ranges: fetched on one connection
    int connectionsUsed = 0;
    int retries = 0;
    std::vector<ConnectionShare> shares;  // one per connection used
};

// progress is called after every round of the transfers with the bytes written so far (it
// goes back to 0 once when the file is fetched again on one connection); returning false
// stops every connection. session is the handle InternetOpenA gave: its proxy settings and
// time-outs hold for every connection.
RangedDownloadResult InternetDownloadRanges(
    HINTERNET session, const RangedDownloadRequest& request,
    const std::function<bool(std::uint64_t bytes)>& progress);
