#include "inet/internet_failure_text.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "inet/internet_error_messages.h"
#include "inet/internet_exception.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

std::string Text(DWORD option) {
    DWORD length = 0;
    if (InternetQueryOptionA(nullptr, option, nullptr, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= 1) {
        return {};
    }
    std::vector<char> buffer(length, '\0');
    if (!InternetQueryOptionA(nullptr, option, buffer.data(), &length)) {
        return {};
    }
    return std::string(buffer.data(), length);
}

DWORD Number(DWORD option) {
    DWORD value = 0;
    DWORD length = sizeof value;
    return InternetQueryOptionA(nullptr, option, &value, &length) ? value : 0;
}

std::string Place(const std::string& host, unsigned port) {
    return host + " port " + std::to_string(port);
}

// "host:port" -> "host port port"; the port follows the last colon.
std::string ProxyPlace(const std::string& proxy) {
    const std::size_t colon = proxy.rfind(':');
    if (colon == std::string::npos) {
        return proxy;
    }
    return proxy.substr(0, colon) + " port " + proxy.substr(colon + 1);
}

std::string Lowered(std::string text) {
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    while (!text.empty() && (text.back() == '.' || text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// Why a connection failed, in a few words; "" when the system gave no reason.
std::string ConnectReason(int systemError) {
    switch (systemError) {
        case 0:
            return "";
        case ECONNREFUSED:
            return "connection refused";
        case ETIMEDOUT:
            return "no answer";
        default:
            return Lowered(std::strerror(systemError));
    }
}

std::string WithReason(std::string text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + reason;
}

std::string ProxyFailureText(const InternetFailure& f) {
    const std::string proxy = "the proxy " + ProxyPlace(f.proxy);
    if (f.proxyStatus != 0) {
        return proxy + " refused a connection to " + Place(f.server, f.port) + " (HTTP status " +
               std::to_string(f.proxyStatus) + ")";
    }
    if (f.error == ERROR_INTERNET_NAME_NOT_RESOLVED) {
        return "the name of " + proxy + " could not be resolved";
    }
    if (f.systemError == ECONNREFUSED) {
        return proxy + " refused the connection";
    }
    return WithReason("could not connect to " + proxy, ConnectReason(f.systemError));
}

}  // namespace

std::string LastServerResponse() {
    DWORD error = 0;
    DWORD length = 0;
    if (InternetGetLastResponseInfoA(&error, nullptr, &length) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0) {
        return {};
    }
    // One more than asked for, so that the text ends in a terminator whatever the count.
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    DWORD size = length + 1;
    if (!InternetGetLastResponseInfoA(&error, buffer.data(), &size)) {
        return {};
    }
    return buffer.data();
}

InternetFailure LastInternetFailure(DWORD error, const std::string& server, unsigned port) {
    InternetFailure failure;
    failure.error = error != 0 ? error : GetLastError();
    failure.server = server;
    failure.port = port;
    failure.detail = Text(INTERNET_OPTION_TRANSFER_ERROR_TEXT);
    failure.proxy = Text(INTERNET_OPTION_TRANSFER_PROXY);
    failure.proxyStatus = Number(INTERNET_OPTION_TRANSFER_PROXY_STATUS);
    failure.systemError = static_cast<int>(Number(INTERNET_OPTION_TRANSFER_SYSTEM_ERROR));
    failure.response = LastServerResponse();
    return failure;
}

InternetFailure InternetFailureOf(const CInternetException& e, const std::string& server,
                                  unsigned port) {
    InternetFailure failure{
        e.m_dwError,           server, port, e.m_strProxy, e.m_dwProxyStatus, e.m_nSystemError,
        e.m_strTransferDetail, {}};
    if (e.m_dwError == ERROR_INTERNET_EXTENDED_ERROR) {
        failure.response = e.ErrorText();
    }
    return failure;
}

std::string InternetFailureText(const InternetFailure& f) {
    const std::string where = Place(f.server, f.port);
    const bool viaProxy = !f.proxy.empty();
    switch (f.error) {
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            // Through a proxy, the proxy resolves the server's name: a failure here is its own.
            return viaProxy ? ProxyFailureText(f)
                            : "the server name " + f.server + " could not be resolved";
        case ERROR_INTERNET_CANNOT_CONNECT:
            return viaProxy
                       ? ProxyFailureText(f)
                       : WithReason("could not connect to " + where, ConnectReason(f.systemError));
        case ERROR_INTERNET_TIMEOUT:
            // An FTP server's 421 ends the session as a time-out does, but says why.
            return f.response.empty()
                       ? where + " did not answer in time"
                       : WithReason(where + " ended the session", Lowered(f.response));
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
            return "the connection to " + where + " broke off";
        case ERROR_INTERNET_INVALID_CA:
            return "the certificate of " + where +
                   " is not signed by an authority this computer trusts";
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
            return "the certificate of " + where + " is made out to another name";
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
            return WithReason("no secure connection could be made with " + where,
                              Lowered(f.detail));
        case ERROR_INTERNET_LOGIN_FAILURE:
            return where + " refused the login: check the user name and password in the URL";
        case ERROR_INTERNET_EXTENDED_ERROR:
            return WithReason(where + " refused the request", Lowered(f.response));
        case ERROR_HTTP_REDIRECT_FAILED:
            return WithReason(where + " redirected to an address that cannot be followed",
                              Lowered(f.detail));
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
            return where + " gave an answer this program does not understand";
        default:
            break;
    }
    // Anything else: the platform's text, or the transfer library's words, never a number.
    const char* message = InternetErrorMessage(f.error);
    std::string text = message != nullptr ? Lowered(message) : Lowered(f.detail);
    if (text.empty()) {
        text = "the transfer failed";
    }
    return f.server.empty() ? text : text + " (" + where + ")";
}
