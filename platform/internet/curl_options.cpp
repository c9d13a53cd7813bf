#include "platform/internet/curl_options.h"

#include <algorithm>
#include <cstdlib>

#include "platform/internet/wininet.h"

namespace {

constexpr long kMaxRedirects = 5;

bool isUnlimited(DWORD milliseconds) {
    return milliseconds == 0 || milliseconds == 0xFFFFFFFF;
}

std::string environmentNoProxy() {
    for (const char* name : {"no_proxy", "NO_PROXY"}) {
        if (const char* value = std::getenv(name); value && *value) {
            return value;
        }
    }
    return "";
}

}  // namespace

std::string noProxyList(const std::string& bypass) {
    std::string list = bypass;
    // The platform's bypass lists separate entries by ";" or blanks; libcurl's by ",".
    std::replace_if(
        list.begin(), list.end(), [](char c) { return c == ';' || c == ' '; }, ',');
    if (list == "*") {
        return list;
    }
    if (!list.empty() && list.back() != ',') {
        list += ',';
    }
    // Every loopback address, not only 127.0.0.1: the whole of 127.0.0.0/8 is this machine.
    return list + "localhost,127.0.0.0/8,::1";
}

void applySessionSettings(CURL* easy, const SessionSettings& settings) {
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,gopher");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    // A proxy's answer to CONNECT ("200 Connection established") is not the server's: the
    // headers seen are those of the server at the tunnel's end.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    if (!settings.agent.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERAGENT, settings.agent.c_str());
    }
    // The certificate authorities a user has chosen for the programs of this session, the
    // way OpenSSL's own tools take them; otherwise the system's.
    if (const char* authorities = std::getenv("SSL_CERT_FILE"); authorities && *authorities) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, authorities);
    }
    switch (settings.accessType) {
        case INTERNET_OPEN_TYPE_DIRECT:
            curl_easy_setopt(easy, CURLOPT_PROXY, "");
            break;
        case INTERNET_OPEN_TYPE_PROXY:
            curl_easy_setopt(easy, CURLOPT_PROXY, settings.proxy.c_str());
            curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxyList(settings.proxyBypass).c_str());
            break;
        default:
            // The system's settings: libcurl reads the proxy variables of the environment;
            // the no-proxy option replaces the environment's list, so it carries it on.
            curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxyList(environmentNoProxy()).c_str());
            break;
    }
}

void applyTimeouts(CURL* easy, const InternetTimeouts& timeouts) {
    const long connectMs =
        isUnlimited(timeouts.connectMs) ? 0x7FFFFFFFL : static_cast<long>(timeouts.connectMs);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
    // libcurl counts a stall in whole seconds: a time-out is rounded up to the next one.
    const long receiveSeconds =
        isUnlimited(timeouts.receiveMs) ? 0L : static_cast<long>((timeouts.receiveMs + 999) / 1000);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, receiveSeconds ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, receiveSeconds);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, receiveSeconds);
}
