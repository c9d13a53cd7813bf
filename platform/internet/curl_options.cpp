#include "platform/internet/curl_options.h"

#include <arpa/inet.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

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

std::string environmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// The proxy variable libcurl reads for the scheme: only the lower-case http_proxy, which a
// CGI program cannot be handed by a request; either case for the others; ALL_PROXY last.
std::string environmentProxy(const std::string& scheme) {
    std::string proxy = environmentValue(scheme + "_proxy");
    if (proxy.empty() && scheme != "http") {
        proxy = environmentValue(upper(scheme) + "_PROXY");
    }
    for (const char* name : {"all_proxy", "ALL_PROXY"}) {
        if (proxy.empty()) {
            proxy = environmentValue(name);
        }
    }
    return proxy;
}

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr) {
        return {};
    }
    std::string value(text);
    curl_free(text);
    return value;
}

bool inNetwork(const std::string& host, std::string_view network) {
    const std::size_t slash = network.find('/');
    in_addr address{};
    in_addr base{};
    if (::inet_pton(AF_INET, host.c_str(), &address) != 1 ||
        ::inet_pton(AF_INET, std::string(network.substr(0, slash)).c_str(), &base) != 1) {
        return false;
    }
    const int bits = std::atoi(std::string(network.substr(slash + 1)).c_str());
    if (bits <= 0 || bits > 32) {
        return bits == 0;
    }
    const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
    return (ntohl(address.s_addr) & mask) == (ntohl(base.s_addr) & mask);
}

// libcurl's no-proxy rules: "*" for every host, a name for itself and the names under it,
// an address for itself, an address with a prefix length for its network.
bool bypassed(const std::string& list, std::string host) {
    if (host.size() > 1 && host.front() == '[') {
        host = host.substr(1, host.size() - 2);
    }
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        end = end == std::string::npos ? list.size() : end;
        std::string_view entry(list.data() + start, end - start);
        start = end + 1;
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '.')) {
            entry.remove_prefix(1);
        }
        if (entry.empty()) {
            continue;
        }
        if (entry == "*") {
            return true;
        }
        if (entry.find('/') != std::string_view::npos) {
            if (inNetwork(host, entry)) {
                return true;
            }
            continue;
        }
        if (host.size() >= entry.size() &&
            strncasecmp(host.data() + host.size() - entry.size(), entry.data(), entry.size()) ==
                0 &&
            (host.size() == entry.size() || host[host.size() - entry.size() - 1] == '.')) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string proxyInEffect(const SessionSettings& settings, const std::string& url) {
    const UrlHandle target(curl_url(), curl_url_cleanup);
    if (settings.accessType == INTERNET_OPEN_TYPE_DIRECT || !target ||
        curl_url_set(target.get(), CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
            CURLUE_OK) {
        return "";
    }
    const bool named = settings.accessType == INTERNET_OPEN_TYPE_PROXY;
    const std::string proxy =
        named ? settings.proxy : environmentProxy(urlPart(target.get(), CURLUPART_SCHEME));
    const std::string bypass = noProxyList(named ? settings.proxyBypass : environmentNoProxy());
    if (proxy.empty() || bypassed(bypass, urlPart(target.get(), CURLUPART_HOST))) {
        return "";
    }
    // A proxy named without a scheme is an HTTP proxy; without a port, libcurl's 1080.
    const UrlHandle parsed(curl_url(), curl_url_cleanup);
    const std::string withScheme =
        proxy.find("://") == std::string::npos ? "http://" + proxy : proxy;
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, withScheme.c_str(),
                                CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return "";
    }
    std::string port = urlPart(parsed.get(), CURLUPART_PORT);
    return urlPart(parsed.get(), CURLUPART_HOST) + ":" + (port.empty() ? "1080" : port);
}

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
