// InternetCrackUrlA over libcurl's URL API. libcurl checks and splits the server part; the
// scheme, the path and the query are taken from the text itself, so that each component is
// exactly what the URL holds. libcurl parses no URL without "//" (mailto:, news:group):
// those are split here.
#include "platform/internet/url_crack.h"

#include <curl/curl.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/internet/url_text.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Each component with its place in the caller's text (npos when the text does not hold it
// as it is, so that it can only be copied).
struct Component {
    std::string value;
    std::size_t at = npos;
};

struct Components {
    Component scheme, host, user, password, path, extra;
    INTERNET_SCHEME number = INTERNET_SCHEME_UNKNOWN;
    INTERNET_PORT port = 0;
};

INTERNET_SCHEME SchemeNumber(std::string_view scheme) {
    static const char* const names[] = {"ftp",        "gopher",   "http",   "https",
                                        "file",       "news",     "mailto", "socks",
                                        "javascript", "vbscript", "res"};
    for (INTERNET_SCHEME number = INTERNET_SCHEME_FTP; number <= INTERNET_SCHEME_RES; ++number) {
        const char* name = names[number - INTERNET_SCHEME_FTP];
        if (scheme.size() == std::strlen(name) &&
            strncasecmp(scheme.data(), name, scheme.size()) == 0) {
            return number;
        }
    }
    return INTERNET_SCHEME_UNKNOWN;
}

INTERNET_PORT DefaultPort(INTERNET_SCHEME scheme) {
    switch (scheme) {
        case INTERNET_SCHEME_FTP:
            return 21;
        case INTERNET_SCHEME_GOPHER:
            return 70;
        case INTERNET_SCHEME_HTTP:
            return 80;
        case INTERNET_SCHEME_HTTPS:
            return 443;
        default:
            return 0;
    }
}

// Where `value` stands in text[from, to), ignoring case; npos when it does not.
std::size_t Locate(std::string_view text, std::size_t from, std::size_t to,
                   std::string_view value) {
    for (std::size_t i = from; i + value.size() <= to; ++i) {
        if (strncasecmp(text.data() + i, value.data(), value.size()) == 0) {
            return i;
        }
    }
    return npos;
}

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// One part as libcurl holds it; "" when the URL has none.
std::string Part(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) {
        return {};
    }
    std::string value(text);
    curl_free(text);
    return value;
}

// Splits "scheme://[user[:password]@]host[:port]/path" with libcurl; 0 or an error number.
DWORD SplitServerUrl(std::string_view text, std::size_t pathFrom, Components& parts) {
    const UrlHandle url(curl_url(), curl_url_cleanup);
    if (!url) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    const std::string head(text.substr(0, parts.extra.at));
    const unsigned flags = CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS | CURLU_ALLOW_SPACE;
    if (curl_url_set(url.get(), CURLUPART_URL, head.c_str(), flags) != CURLUE_OK) {
        return ERROR_INTERNET_INVALID_URL;
    }
    std::size_t authorityEnd = pathFrom;
    if (text.substr(pathFrom).starts_with("//")) {
        authorityEnd = UrlAuthorityEnd(head, pathFrom + 2);
        const std::size_t at = head.rfind('@', authorityEnd);
        const std::size_t hostFrom = at == npos || at < pathFrom ? pathFrom + 2 : at + 1;
        parts.host.value = Part(url.get(), CURLUPART_HOST);
        const std::string zone = Part(url.get(), CURLUPART_ZONEID);
        if (!zone.empty() && parts.host.value.ends_with(']')) {
            parts.host.value.insert(parts.host.value.size() - 1, "%25" + zone);
        }
        parts.host.at = Locate(head, hostFrom, authorityEnd, parts.host.value);
        if (hostFrom > pathFrom + 2) {
            parts.user.value = Part(url.get(), CURLUPART_USER);
            parts.user.at = Locate(head, pathFrom + 2, hostFrom, parts.user.value);
            parts.password.value = Part(url.get(), CURLUPART_PASSWORD);
            parts.password.at = Locate(head, pathFrom + 2, hostFrom, parts.password.value);
        }
    }
    const std::string port = Part(url.get(), CURLUPART_PORT);
    parts.port = port.empty() ? DefaultPort(parts.number)
                              : static_cast<INTERNET_PORT>(std::strtoul(port.c_str(), nullptr, 10));
    parts.path.value = head.substr(authorityEnd);
    parts.path.at = authorityEnd;
    return 0;
}

DWORD Split(std::string_view text, Components& parts) {
    const std::size_t schemeLength = UrlSchemeLength(text);
    if (schemeLength == 0) {
        return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    }
    parts.scheme = {std::string(text.substr(0, schemeLength)), 0};
    parts.number = SchemeNumber(parts.scheme.value);
    const std::size_t extraFrom = UrlExtraInfoStart(text);
    parts.extra = {std::string(text.substr(extraFrom)), extraFrom};

    const std::size_t pathFrom = schemeLength + 1;
    const std::string_view rest = text.substr(pathFrom, extraFrom - pathFrom);
    const bool isFile = parts.number == INTERNET_SCHEME_FILE;
    const bool needsServer = UrlSchemeNeedsServer(parts.scheme.value);
    if (isFile) {
        if (!rest.starts_with('/')) {
            return ERROR_INTERNET_INVALID_URL;
        }
        return SplitServerUrl(text, pathFrom, parts);
    }
    if (rest.starts_with("//") && !rest.starts_with("///")) {
        return SplitServerUrl(text, pathFrom, parts);
    }
    if (needsServer) {
        return ERROR_INTERNET_INVALID_URL;
    }
    // "mailto:someone@example.com", "news:comp.lang": all of it is the path.
    parts.host = {std::string(), pathFrom};
    parts.path = {std::string(rest), pathFrom};
    parts.port = 0;
    return 0;
}

struct Field {
    char** buffer;
    DWORD* length;
    const Component& component;
};

}  // namespace

BOOL InternetCrackUrlA(const char* url, DWORD urlLength, DWORD flags, URL_COMPONENTSA* components) {
    if (url == nullptr || components == nullptr ||
        components->dwStructSize != sizeof(URL_COMPONENTSA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string_view text(url, urlLength == 0 ? std::strlen(url) : strnlen(url, urlLength));
    Components parts;
    if (const DWORD error = Split(text, parts); error != 0) {
        SetLastError(error);
        return FALSE;
    }
    // Nobody asking for the query and fragment on their own leaves them on the path.
    if (components->dwExtraInfoLength == 0) {
        parts.path.value += parts.extra.value;
    }
    const bool decode = (flags & (ICU_DECODE | ICU_ESCAPE)) != 0;
    if (decode) {
        for (Component* part : {&parts.user, &parts.password, &parts.path, &parts.extra}) {
            part->value = UrlDecode(part->value);
            part->at = npos;
        }
    }
    const Field fields[] = {
        {&components->lpszScheme, &components->dwSchemeLength, parts.scheme},
        {&components->lpszHostName, &components->dwHostNameLength, parts.host},
        {&components->lpszUserName, &components->dwUserNameLength, parts.user},
        {&components->lpszPassword, &components->dwPasswordLength, parts.password},
        {&components->lpszUrlPath, &components->dwUrlPathLength, parts.path},
        {&components->lpszExtraInfo, &components->dwExtraInfoLength, parts.extra},
    };
    // Everything is checked before anything is written: a failure reports only lengths.
    bool fits = true;
    for (const Field& field : fields) {
        if (*field.length == 0) {
            continue;
        }
        if (*field.buffer == nullptr) {
            // Pointing into the caller's text needs the component as the text holds it.
            if (field.component.at == npos && !field.component.value.empty()) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
        } else if (field.component.value.size() >= *field.length) {
            *field.length = static_cast<DWORD>(field.component.value.size() + 1);
            fits = false;
        }
    }
    if (!fits) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (const Field& field : fields) {
        if (*field.length == 0) {
            continue;
        }
        const std::string& value = field.component.value;
        if (*field.buffer == nullptr) {
            const std::size_t at = field.component.at == npos ? text.size() : field.component.at;
            *field.buffer = const_cast<char*>(url) + at;
        } else {
            std::memcpy(*field.buffer, value.c_str(), value.size() + 1);
        }
        *field.length = static_cast<DWORD>(value.size());
    }
    components->nScheme = parts.number;
    components->nPort = parts.port;
    return TRUE;
}
