#pragma once

// Checks a URL given to the Internet calls before libcurl sees it.
#include <string>
#include <string_view>

#include "platform/last_error.h"
#include "platform/win_types.h"

enum class UrlScheme { Http, Https, Ftp, Gopher };

struct RequestUrl {
    std::string text;  // as libcurl is to get it
    UrlScheme scheme = UrlScheme::Http;
};

// ERROR_SUCCESS with the URL to use, or the platform error number: 12005 for a URL that
// cannot be parsed or holds a line break (which could add request headers), 12006 for a
// scheme other than http, https, ftp and gopher, 12007 for a name that cannot resolve by
// definition.
DWORD checkRequestUrl(const char* url, RequestUrl* checked);

// Names under ".invalid" never resolve (RFC 6761): they fail at once, without asking any
// name server.
bool isReservedInvalidName(std::string_view host);
