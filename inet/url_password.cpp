#include "inet/url_password.h"

std::string MaskUrlPassword(std::string_view url) {
    const std::string_view::size_type slashes = url.find("://");
    if (slashes == std::string_view::npos) {
        return std::string(url);
    }
    const std::string_view::size_type authority = slashes + 3;
    const std::string_view::size_type authorityEnd = url.find_first_of("/?#", authority);
    const std::string_view server = url.substr(authority, authorityEnd - authority);
    // The last "@" ends the user information: a password may itself hold an "@".
    const std::string_view::size_type at = server.rfind('@');
    if (at == std::string_view::npos) {
        return std::string(url);
    }
    const std::string_view::size_type colon = server.substr(0, at).find(':');
    if (colon == std::string_view::npos || colon + 1 == at) {
        return std::string(url);
    }
    std::string masked(url.substr(0, authority + colon + 1));
    masked += MaskedPassword;
    masked += url.substr(authority + at);
    return masked;
}
