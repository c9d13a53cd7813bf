#include "inet/split_url.h"

#include <cstring>
#include <memory>

#include "platform/last_error.h"

namespace {

constexpr DWORD CanonicalizeFlagsMask = 0x3E000000;
constexpr DWORD CrackFlagsMask = 0xC0000000;

DWORD ServiceTypeOfScheme(INTERNET_SCHEME scheme) {
    switch (scheme) {
        case INTERNET_SCHEME_FTP:
            return ServiceFtp;
        case INTERNET_SCHEME_GOPHER:
            return ServiceGopher;
        case INTERNET_SCHEME_HTTP:
            return ServiceHttp;
        case INTERNET_SCHEME_HTTPS:
            return ServiceHttps;
        case INTERNET_SCHEME_FILE:
            return ServiceFile;
        case INTERNET_SCHEME_NEWS:
            return ServiceNews;
        case INTERNET_SCHEME_MAILTO:
            return ServiceMailto;
        default:
            return ServiceUnknown;
    }
}

// The text's length becomes that of the C string the platform left in its storage.
void FinishText(std::string& text) {
    text.resize(std::strlen(text.c_str()));
}

// The flag word's canonicalisation bits go to canonicalising, its splitting bits to splitting.
bool SplitUrlWithFlags(const char* url, DWORD& serviceType, std::string& server,
                       std::string& object, INTERNET_PORT& port, DWORD flags) {
    serviceType = ServiceUnknown;
    if (url == nullptr) {
        return false;
    }
    // Room for the longest component plus its terminator; the platform is told one less.
    server.assign(INTERNET_MAX_URL_LENGTH + 1, '\0');
    object.assign(INTERNET_MAX_URL_LENGTH + 1, '\0');
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof(components);
    components.lpszHostName = server.data();
    components.dwHostNameLength = INTERNET_MAX_URL_LENGTH;
    components.lpszUrlPath = object.data();
    components.dwUrlPathLength = INTERNET_MAX_URL_LENGTH;

    bool result = false;
    char canonical[INTERNET_MAX_URL_LENGTH];
    DWORD length = INTERNET_MAX_URL_LENGTH;
    std::unique_ptr<char[]> larger;
    const char* text = canonical;
    bool canonicalized =
        InternetCanonicalizeUrlA(url, canonical, &length, flags & CanonicalizeFlagsMask) != FALSE;
    if (!canonicalized && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        larger = std::make_unique<char[]>(length);
        text = larger.get();
        canonicalized = InternetCanonicalizeUrlA(url, larger.get(), &length,
                                                 flags & CanonicalizeFlagsMask) != FALSE;
    }
    if (canonicalized) {
        const bool split = InternetCrackUrlA(text, 0, flags & CrackFlagsMask, &components) != FALSE;
        larger.reset();
        if (split) {
            port = components.nPort;
            serviceType = ServiceTypeOfScheme(components.nScheme);
            result = true;
        }
    }
    FinishText(server);
    FinishText(object);
    return result;
}

}  // namespace

bool SplitUrl(const char* url, DWORD& serviceType, std::string& server, std::string& object,
              INTERNET_PORT& port) {
    return SplitUrlWithFlags(url, serviceType, server, object, port, ICU_BROWSER_MODE);
}

void SplitUrlCredentials(const char* url, std::string& user, std::string& password) {
    user.clear();
    password.clear();
    if (url == nullptr) {
        return;
    }
    std::string userText(INTERNET_MAX_URL_LENGTH + 1, '\0');
    std::string passwordText(INTERNET_MAX_URL_LENGTH + 1, '\0');
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof(components);
    components.lpszUserName = userText.data();
    components.dwUserNameLength = INTERNET_MAX_URL_LENGTH;
    components.lpszPassword = passwordText.data();
    components.dwPasswordLength = INTERNET_MAX_URL_LENGTH;
    if (InternetCrackUrlA(url, 0, ICU_DECODE, &components) == FALSE) {
        return;
    }
    user.assign(userText.c_str(), components.dwUserNameLength);
    password.assign(passwordText.c_str(), components.dwPasswordLength);
}
