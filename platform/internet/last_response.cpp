#include "platform/internet/last_response.h"

#include <cctype>
#include <cstring>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

thread_local ServerReply lastReply;

// "ddd" followed by sep, or by nothing when sep is ' '.
bool startsWithCode(std::string_view line, char sep) {
    if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) ||
        !std::isdigit(static_cast<unsigned char>(line[2]))) {
        return false;
    }
    return line.size() == 3 ? sep == ' ' : line[3] == sep;
}

void keep(std::string text, std::string_view code) {
    lastReply.code = static_cast<DWORD>(std::stoul(std::string(code.substr(0, 3))));
    lastReply.text = std::move(text);
}

}  // namespace

ServerReply lastServerReply() {
    return lastReply;
}

void FtpReplyCollector::addLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    if (!pendingCode_.empty()) {
        // Inside a multi-line reply, which ends on its code followed by a blank.
        pending_ += "\r\n";
        pending_ += line;
        if (line.substr(0, 3) == pendingCode_ && startsWithCode(line, ' ')) {
            keep(std::move(pending_), pendingCode_);
            lastCode_ = lastReply.code;
            pending_.clear();
            pendingCode_.clear();
        }
        return;
    }
    if (startsWithCode(line, '-')) {
        pending_ = std::string(line);
        pendingCode_ = std::string(line.substr(0, 3));
    } else if (startsWithCode(line, ' ')) {
        keep(std::string(line), line);
        lastCode_ = lastReply.code;
    }
}
