#include "platform/internet/request_url.h"

#include <cctype>
#include <cstring>
#include <memory>

#include <curl/curl.h>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Blanks, controls and bytes past ASCII go to libcurl percent-encoded, as a browser sends them.
std::string encodeUnsafe(std::string_view url) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

bool isReservedInvalidName(std::string_view host) {
    while (!host.empty() && host.back() == '.') {
        host.remove_suffix(1);
    }
    constexpr std::string_view suffix = ".invalid";
    if (host.size() == suffix.size() - 1) {
        return startsWithNoCase(host, suffix.substr(1));
    }
    return host.size() > suffix.size() &&
           startsWithNoCase(host.substr(host.size() - suffix.size()), suffix);
}

DWORD checkRequestUrl(const char* url, RequestUrl* checked) {
    const std::string_view text(url);
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        return ERROR_INTERNET_INVALID_URL;
    }
    if (startsWithNoCase(text, "http://")) {
        checked->scheme = UrlScheme::Http;
    } else if (startsWithNoCase(text, "https://")) {
        checked->scheme = UrlScheme::Https;
    } else if (startsWithNoCase(text, "ftp://")) {
        checked->scheme = UrlScheme::Ftp;
    } else if (startsWithNoCase(text, "gopher://")) {
        checked->scheme = UrlScheme::Gopher;
    } else {
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    }
    checked->text = encodeUnsafe(text);

    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    char* host = nullptr;
    if (!parsed ||
        curl_url_set(parsed.get(), CURLUPART_URL, checked->text.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return ERROR_INTERNET_INVALID_URL;
    }
    const bool invalidName = isReservedInvalidName(host);
    curl_free(host);
    return invalidName ? ERROR_INTERNET_NAME_NOT_RESOLVED : ERROR_SUCCESS;
}
