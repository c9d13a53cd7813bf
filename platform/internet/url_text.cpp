#include "platform/internet/url_text.h"

#include <strings.h>
#include <cctype>

namespace {

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::size_t UrlSchemeLength(std::string_view url) {
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) {
        return 0;
    }
    std::size_t length = 1;
    while (length < url.size() && IsSchemeChar(url[length])) {
        ++length;
    }
    return length < url.size() && url[length] == ':' ? length : 0;
}

std::size_t UrlExtraInfoStart(std::string_view url) {
    const std::size_t found = url.find_first_of("?#");
    return found == std::string_view::npos ? url.size() : found;
}

std::size_t UrlAuthorityEnd(std::string_view url, std::size_t from) {
    const std::size_t found = url.find_first_of("/?#", from);
    return found == std::string_view::npos ? url.size() : found;
}

bool UrlSchemeNeedsServer(std::string_view scheme) {
    for (const char* name : {"http", "https", "ftp", "gopher"}) {
        if (scheme.size() == std::char_traits<char>::length(name) &&
            strncasecmp(scheme.data(), name, scheme.size()) == 0) {
            return true;
        }
    }
    return false;
}

std::string UrlDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}
