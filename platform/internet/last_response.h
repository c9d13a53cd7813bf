#pragma once

// The last reply an FTP server sent to the calling thread, for InternetGetLastResponseInfoA.
#include <string>
#include <string_view>

#include "platform/win_types.h"

struct ServerReply {
    DWORD code = 0;    // the reply's three-digit code
    std::string text;  // the whole reply; the lines of a multi-line reply joined by CR LF
};

ServerReply lastServerReply();

// Gathers the reply lines an FTP server sends (libcurl hands them over one by one, among
// header lines of its own making) and keeps each complete reply as the thread's last.
class FtpReplyCollector {
public:
    void addLine(std::string_view line);
    DWORD lastCode() const { return lastCode_; }

private:
    std::string pending_;
    std::string pendingCode_;
    DWORD lastCode_ = 0;
};
