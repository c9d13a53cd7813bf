#include "tests/support/scripted_http_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {
namespace {

bool sameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

RecordedRequest parseRequest(const std::string& raw) {
    RecordedRequest request;
    request.raw = raw;
    std::size_t start = 0;
    bool first = true;
    for (;;) {
        const std::size_t end = raw.find("\r\n", start);
        if (end == std::string::npos || end == start) {
            break;
        }
        const std::string line = raw.substr(start, end - start);
        start = end + 2;
        if (first) {
            request.requestLine = line;
            first = false;
            continue;
        }
        const std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        request.headers.emplace_back(line.substr(0, colon), value);
    }
    return request;
}

}  // namespace

std::optional<std::string> RecordedRequest::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (sameText(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

ScriptedHttpServer::ScriptedHttpServer(const std::string& address) : address_(address) {
    const std::string ready = work_.file("ready");
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{
            "/usr/bin/python3", CORVANITE_TEST_SUPPORT_DIR "/scripted_http_server.py", "--address",
            address, "--ready-file", ready, "--log-file", work_.file("requests")},
        work_.file("output.log"));
    if (!waitUntil([&] { return !process_->running() || readReadyPort(ready).has_value(); },
                   std::chrono::seconds(15)) ||
        !process_->running()) {
        throw std::runtime_error("the scripted HTTP server did not start; see " +
                                 work_.file("output.log"));
    }
    port_ = *readReadyPort(ready);
}

ScriptedHttpServer::~ScriptedHttpServer() = default;

std::string ScriptedHttpServer::url(const std::string& pathAndQuery) const {
    return "http://" + address_ + ":" + std::to_string(port_) + pathAndQuery;
}

std::vector<RecordedRequest> ScriptedHttpServer::requests() const {
    const std::string log = readFile(work_.file("requests"));
    std::vector<RecordedRequest> requests;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = log.find("\r\n\r\n", start);
        if (end == std::string::npos) {
            break;
        }
        requests.push_back(parseRequest(log.substr(start, end + 4 - start)));
        start = end + 4;
    }
    return requests;
}

std::string queryEncode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

}  // namespace testsupport
