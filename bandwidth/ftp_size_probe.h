#pragma once

// Learns the size of a file on an FTP server over a connection of its own: the URL's account
// (anonymous login when it names none), passive mode, on the port the URL names (21 when it
// names none). A failed connection is
// shown to the user in two boxes.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/internet/wininet_types.h"

// What the platform reports when a server cannot tell a file's size.
constexpr std::uint64_t kFtpSizeUnknown = 0xFFFFFFFF;

enum class FtpProbeResult {
    Sized,          // the size is known, or kFtpSizeUnknown
    ConnectFailed,  // the boxes have been shown; cause tells why, in words
    Stopped,        // the stop poll after connecting found a stop request
};

struct FtpProbeTarget {
    std::string server;
    INTERNET_PORT port = 0;  // 0 stands for FTP's own, 21
    std::string object;
    std::string user;  // empty: anonymous
    std::string password;
};

// stopRequested is the poll made once the connection stands. Everything the probe opened is
// closed again when it returns.
FtpProbeResult ProbeFtpSize(const FtpProbeTarget& target,
                            const std::function<bool()>& stopRequested, std::uint64_t& size,
                            std::string& cause);
