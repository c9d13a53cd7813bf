// InternetCanonicalizeUrlA: the platform's canonical form of a URL, by its documented rules.
// libcurl's URL API encodes differently (it rewrites the query and refuses control
// characters), so the form is built here.
#include "platform/internet/url_canonicalize.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/internet/url_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

bool IsUnsafe(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) {
        return true;
    }
    // "#" reaches here only when it is not the fragment mark.
    return std::strchr("<>\"{}|\\^[]'#", c) != nullptr;
}

// Percent-encodes what the flags ask for. `keep` names characters that stay as they are.
void Encode(std::string_view text, DWORD flags, std::string_view keep, std::string& out) {
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        bool encode = false;
        if (!(flags & ICU_NO_ENCODE) && keep.find(ch) == std::string_view::npos) {
            if (flags & ICU_ENCODE_SPACES_ONLY) {
                encode = c == ' ';
            } else {
                encode = IsUnsafe(c) || (c == '%' && (flags & ICU_ENCODE_PERCENT));
            }
        }
        if (encode) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
}

// Removes "." and ".." segments from a path that begins with "/".
std::string RemoveDotSegments(std::string_view path) {
    std::string out;
    while (!path.empty()) {
        if (path.starts_with("/./")) {
            path.remove_prefix(2);
        } else if (path == "/.") {
            path = "/";
        } else if (path.starts_with("/../") || path == "/..") {
            path = path.size() == 3 ? std::string_view("/") : path.substr(3);
            const std::size_t cut = out.rfind('/');
            out.erase(cut == std::string::npos ? 0 : cut);
        } else {
            const std::size_t next = path.find('/', 1);
            const std::size_t length = next == std::string_view::npos ? path.size() : next;
            out.append(path.substr(0, length));
            path.remove_prefix(length);
        }
    }
    return out;
}

std::string Canonicalize(std::string_view url, DWORD flags) {
    std::string decoded;
    if (flags & ICU_DECODE) {
        decoded = UrlDecode(url);
        url = decoded;
    }
    // Blanks and control characters around the URL are not part of it, but blanks that end a
    // query are: they stay.
    while (!url.empty() && static_cast<unsigned char>(url.front()) <= 0x20) {
        url.remove_prefix(1);
    }
    const std::size_t extraStart = UrlExtraInfoStart(url);
    if (extraStart == url.size()) {
        while (!url.empty() && static_cast<unsigned char>(url.back()) <= 0x20) {
            url.remove_suffix(1);
        }
    }
    const std::string_view head = url.substr(0, std::min(extraStart, url.size()));
    const std::string_view extra = url.substr(head.size());

    std::string out;
    out.reserve(url.size() + 16);
    std::size_t pathStart = UrlSchemeLength(head);
    if (pathStart > 0) {
        ++pathStart;  // the ":"
        out.append(head.substr(0, pathStart));
        if (head.substr(pathStart).starts_with("//")) {
            const std::size_t authorityEnd = UrlAuthorityEnd(head, pathStart + 2);
            out += "//";
            // Brackets hold an IPv6 address here.
            Encode(head.substr(pathStart + 2, authorityEnd - pathStart - 2), flags, "[]", out);
            pathStart = authorityEnd;
        }
    }
    std::string_view path = head.substr(pathStart);
    std::string withoutDots;
    if (!(flags & ICU_NO_META) && path.starts_with('/')) {
        withoutDots = RemoveDotSegments(path);
        path = withoutDots;
    }
    Encode(path, flags, "", out);

    if (flags & ICU_BROWSER_MODE) {
        out.append(extra);
    } else if (!extra.empty()) {
        // The first "?" or "#" opens the query or fragment; a later "#" is text unless it is
        // the first one and follows a query.
        out += extra.front();
        std::string_view rest = extra.substr(1);
        const std::size_t fragment = extra.front() == '?' ? rest.find('#') : rest.npos;
        Encode(rest.substr(0, fragment), flags, "?", out);
        if (fragment != rest.npos) {
            out += '#';
            Encode(rest.substr(fragment + 1), flags, "?", out);
        }
    }
    return out;
}

}  // namespace

BOOL InternetCanonicalizeUrlA(const char* url, char* buffer, DWORD* bufferLength, DWORD flags) {
    if (url == nullptr || bufferLength == nullptr || (buffer == nullptr && *bufferLength != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string canonical = Canonicalize(url, flags);
    if (canonical.size() >= *bufferLength) {
        *bufferLength = static_cast<DWORD>(canonical.size() + 1);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, canonical.c_str(), canonical.size() + 1);
    *bufferLength = static_cast<DWORD>(canonical.size());
    return TRUE;
}
