#include "monitoring/pushgateway.h"

#include <unistd.h>

#include <climits>

namespace {

bool PlainInPath(const std::string& value) {
    if (value.empty()) {
        return false;
    }
    for (const char c : value) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!plain) {
            return false;
        }
    }
    return true;
}

// The gateway's own escape for a label value that is not plain: "<label>@base64/<value in
// URL-safe base64>".
std::string UrlSafeBase64(const std::string& value) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string encoded;
    std::size_t i = 0;
    for (; i + 2 < value.size(); i += 3) {
        const unsigned n = (static_cast<unsigned char>(value[i]) << 16) |
                           (static_cast<unsigned char>(value[i + 1]) << 8) |
                           static_cast<unsigned char>(value[i + 2]);
        encoded += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], kAlphabet[(n >> 6) & 63],
                    kAlphabet[n & 63]};
    }
    if (i + 1 == value.size()) {
        const unsigned n = static_cast<unsigned char>(value[i]) << 16;
        encoded += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], '=', '='};
    } else if (i + 2 == value.size()) {
        const unsigned n = (static_cast<unsigned char>(value[i]) << 16) |
                           (static_cast<unsigned char>(value[i + 1]) << 8);
        encoded += {kAlphabet[n >> 18], kAlphabet[(n >> 12) & 63], kAlphabet[(n >> 6) & 63], '='};
    }
    return encoded;
}

}  // namespace

std::string PushgatewayGroupUrl(const std::string& base, const std::string& hostName) {
    std::string url = base;
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    url += "/metrics/job/corvanite/";
    url += PlainInPath(hostName) ? "instance/" + hostName
                                 : "instance@base64/" + UrlSafeBase64(hostName);
    return url;
}

std::string ThisHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') {
        return "localhost";
    }
    return name;
}
