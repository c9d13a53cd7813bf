// The pieces under the Internet calls that need no server: header blocks, FTP replies,
// error numbers, proxy lists and reserved names.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/internet/curl_errors.h"
#include "platform/internet/curl_options.h"
#include "platform/internet/last_response.h"
#include "platform/internet/request_url.h"
#include "platform/internet/response_headers.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

ResponseHeaders feed(const std::vector<std::string>& lines) {
    ResponseHeaders headers;
    for (const std::string& line : lines) {
        headers.addLine(line + "\r\n");
    }
    return headers;
}

TEST(ResponseHeaders, InterimAndFollowedBlocksGiveWay) {
    const ResponseHeaders headers = feed(
        {"HTTP/1.1 100 Continue", "", "HTTP/1.1 302 Found", "Location: /b", "Content-Length: 9", "",
         "HTTP/1.1 200 OK", "content-length:  42 ", "X-A: 1", "X-A: 2", "", "Trailer: after"});
    ASSERT_TRUE(headers.complete());
    EXPECT_TRUE(headers.redirected());
    EXPECT_EQ(headers.statusCode(), 200);
    EXPECT_EQ(headers.statusText(), "OK");
    EXPECT_EQ(headers.version(), "HTTP/1.1");
    EXPECT_EQ(headers.value("Content-Length"), "42");
    EXPECT_EQ(headers.value("x-a", 1), "2");
    EXPECT_FALSE(headers.value("x-a", 2).has_value());
    EXPECT_FALSE(headers.value("Trailer").has_value());
    EXPECT_EQ(headers.rawText(),
              "HTTP/1.1 200 OK\r\ncontent-length:  42 \r\nX-A: 1\r\nX-A: 2\r\n\r\n");
}

TEST(ResponseHeaders, RedirectWithoutLocationIsTheResponse) {
    const ResponseHeaders headers = feed({"HTTP/1.1 301 Moved", "Content-Length: 0", ""});
    EXPECT_TRUE(headers.complete());
    EXPECT_FALSE(headers.redirected());
    EXPECT_EQ(headers.statusCode(), 301);
}

TEST(ResponseHeaders, DecimalNumbersAreStrict) {
    EXPECT_EQ(parseDecimal(" 6000000000 "), 6000000000u);
    EXPECT_EQ(parseDecimal("18446744073709551615"), UINT64_MAX);
    for (const char* bad : {"", " ", "-1", "12a", "0x10", "18446744073709551616", "1 2"}) {
        EXPECT_FALSE(parseDecimal(bad).has_value()) << bad;
    }
}

TEST(FtpReplies, TheLastCompleteReplyIsKept) {
    FtpReplyCollector collector;
    collector.addLine("220 Ready\r\n");
    EXPECT_EQ(lastServerReply().text, "220 Ready");
    // Lines of libcurl's own making are no replies.
    collector.addLine("Content-Length: 5\r\n");
    EXPECT_EQ(lastServerReply().text, "220 Ready");
    collector.addLine("230-Welcome\r\n");
    collector.addLine(" to the server\r\n");
    collector.addLine("230 Logged in\r\n");
    EXPECT_EQ(lastServerReply().text, "230-Welcome\r\n to the server\r\n230 Logged in");
    EXPECT_EQ(lastServerReply().code, 230u);
    collector.addLine("550\r\n");
    EXPECT_EQ(lastServerReply().code, 550u);
    EXPECT_EQ(collector.lastCode(), 550u);
}

struct ErrorCase {
    CURLcode code;
    const char* detail;
    bool afterRedirect;
    DWORD error;
};

TEST(CurlErrors, MapToThePlatformsNumbers) {
    const ErrorCase cases[] = {
        {CURLE_OK, "", false, ERROR_SUCCESS},
        {CURLE_COULDNT_RESOLVE_HOST, "", false, ERROR_INTERNET_NAME_NOT_RESOLVED},
        {CURLE_COULDNT_CONNECT, "", false, ERROR_INTERNET_CANNOT_CONNECT},
        {CURLE_OPERATION_TIMEDOUT, "", false, ERROR_INTERNET_TIMEOUT},
        {CURLE_LOGIN_DENIED, "", false, ERROR_INTERNET_LOGIN_FAILURE},
        {CURLE_REMOTE_FILE_NOT_FOUND, "", false, ERROR_INTERNET_EXTENDED_ERROR},
        {CURLE_FTP_COULDNT_RETR_FILE, "", false, ERROR_INTERNET_EXTENDED_ERROR},
        {CURLE_REMOTE_ACCESS_DENIED, "", false, ERROR_INTERNET_EXTENDED_ERROR},
        {CURLE_PARTIAL_FILE, "", false, ERROR_INTERNET_CONNECTION_ABORTED},
        {CURLE_RECV_ERROR, "", false, ERROR_INTERNET_CONNECTION_ABORTED},
        {CURLE_TOO_MANY_REDIRECTS, "", false, ERROR_HTTP_REDIRECT_FAILED},
        {CURLE_UNSUPPORTED_PROTOCOL, "", true, ERROR_HTTP_REDIRECT_FAILED},
        {CURLE_UNSUPPORTED_PROTOCOL, "", false, ERROR_INTERNET_UNRECOGNIZED_SCHEME},
        {CURLE_GOT_NOTHING, "", false, ERROR_HTTP_INVALID_SERVER_RESPONSE},
        {CURLE_URL_MALFORMAT, "", false, ERROR_INTERNET_INVALID_URL},
        {CURLE_PEER_FAILED_VERIFICATION, "SSL certificate problem: self-signed certificate", false,
         ERROR_INTERNET_INVALID_CA},
        {CURLE_PEER_FAILED_VERIFICATION,
         "SSL: no alternative certificate subject name matches target host name 'x'", false,
         ERROR_INTERNET_SEC_CERT_CN_INVALID},
        {CURLE_SSL_CONNECT_ERROR, "", false, ERROR_INTERNET_SECURITY_CHANNEL_ERROR},
        {CURLE_OUT_OF_MEMORY, "", false, ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(internetErrorFromCurl(c.code, c.detail, c.afterRedirect), c.error)
            << curl_easy_strerror(c.code);
    }
}

TEST(ProxyBypass, LoopbackIsAlwaysAdded) {
    EXPECT_EQ(noProxyList(""), "localhost,127.0.0.0/8,::1");
    EXPECT_EQ(noProxyList("a.example;b.example"), "a.example,b.example,localhost,127.0.0.0/8,::1");
    EXPECT_EQ(noProxyList("a.example,"), "a.example,localhost,127.0.0.0/8,::1");
    EXPECT_EQ(noProxyList("*"), "*");
}

TEST(ReservedNames, InvalidNamesAreKnownWithoutAsking) {
    for (const char* name : {"invalid", "x.invalid", "A.B.INVALID", "x.invalid."}) {
        EXPECT_TRUE(isReservedInvalidName(name)) << name;
    }
    for (const char* name : {"invalidx", "x.invalid.example", "xinvalid", "127.0.0.1", ""}) {
        EXPECT_FALSE(isReservedInvalidName(name)) << name;
    }
}

TEST(RequestUrls, AreCheckedBeforeLibcurlSeesThem) {
    struct Case {
        const char* url;
        DWORD error;
        const char* text;
    };
    const Case cases[] = {
        {"http://h/a b", ERROR_SUCCESS, "http://h/a%20b"},
        {"HTTPS://h/\xE9", ERROR_SUCCESS, "HTTPS://h/%E9"},
        {"ftp://u:p@h:2121/f", ERROR_SUCCESS, "ftp://u:p@h:2121/f"},
        {"http://h/\r\nX: 1", ERROR_INTERNET_INVALID_URL, ""},
        {"http://", ERROR_INTERNET_INVALID_URL, ""},
        {"mailto:a@b", ERROR_INTERNET_UNRECOGNIZED_SCHEME, ""},
        {"http://x.invalid:80/", ERROR_INTERNET_NAME_NOT_RESOLVED, ""},
    };
    for (const Case& c : cases) {
        RequestUrl checked;
        EXPECT_EQ(checkRequestUrl(c.url, &checked), c.error) << c.url;
        if (c.error == ERROR_SUCCESS) {
            EXPECT_EQ(checked.text, c.text);
        }
    }
}

}  // namespace
