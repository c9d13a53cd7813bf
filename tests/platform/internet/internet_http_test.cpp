// The Internet calls against real HTTP, HTTPS and gopher servers on loopback.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/internet/curl_options.h"
#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "tests/platform/internet/internet_test_helpers.h"
#include "tests/support/gopher_server.h"
#include "tests/support/loopback.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace internettest;
using namespace testsupport;

namespace {

constexpr DWORD kProgramFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;

// A test name made of the letters and digits of a text.
std::string nameOf(const std::string& text) {
    std::string name;
    for (char c : text) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

class InternetHttp : public ::testing::Test {
protected:
    Handle open(const std::string& url, DWORD flags = kProgramFlags) {
        return Handle(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0, flags, 1));
    }

    ScriptedHttpServer http;
    Handle session = openSession();
};

struct BodyCase {
    const char* path;
    std::size_t size;
    DWORD chunk;
};

void PrintTo(const BodyCase& c, std::ostream* out) {
    *out << c.path << " by " << c.chunk;
}

class InternetHttpBodies : public InternetHttp, public ::testing::WithParamInterface<BodyCase> {};

TEST_P(InternetHttpBodies, ReadsTheWholeBodyThenZero) {
    const BodyCase& c = GetParam();
    Handle file = open(http.url(c.path));
    ASSERT_TRUE(file) << GetLastError();
    const ReadOutcome outcome = readToEnd(file.get(), c.chunk);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(outcome.data.size(), c.size);
    EXPECT_TRUE(matchesPattern(outcome.data.data(), outcome.data.size()));
    // The end stays the end.
    char byte = 0;
    DWORD got = 1;
    EXPECT_TRUE(InternetReadFile(file.get(), &byte, 1, &got));
    EXPECT_EQ(got, 0u);
}

INSTANTIATE_TEST_SUITE_P(Bodies, InternetHttpBodies,
                         ::testing::Values(BodyCase{"/data?size=0", 0, 1024},
                                           BodyCase{"/data?size=1", 1, 1024},
                                           BodyCase{"/data?size=1000000", 1000000, 1024},
                                           BodyCase{"/data?size=70000", 70000, 1},
                                           BodyCase{"/data?size=900000", 900000, 300000},
                                           BodyCase{"/nolength?size=300000", 300000, 1024},
                                           BodyCase{"/chunked?size=250000&chunk=777", 250000, 1024},
                                           BodyCase{"/chunked?size=0", 0, 1024}),
                         [](const auto& info) {
                             return nameOf(std::string(info.param.path) + "_by_" +
                                           std::to_string(info.param.chunk));
                         });

TEST_F(InternetHttp, ReadsMayBeShortBeforeTheEnd) {
    // Chunks of 10 bytes leave the wire one at a time; a read gives what is there.
    Handle file = open(http.url("/chunked?size=5000&chunk=10"));
    ASSERT_TRUE(file);
    const ReadOutcome outcome = readToEnd(file.get(), 1 << 20);
    ASSERT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.data.size(), 5000u);
    EXPECT_GE(outcome.reads, 1u);
}

TEST_F(InternetHttp, ServesAFileFromNginx) {
    TempDir root;
    writePatternFile(root.file("file.bin"), 3 << 20);
    NginxServer nginx(root.path());
    Handle file = open(nginx.url("/file.bin"));
    ASSERT_TRUE(file) << GetLastError();
    const ReadOutcome outcome = readToEnd(file.get());
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.data, readFile(root.file("file.bin")));
}

TEST_F(InternetHttp, HoldsNoMoreThanOneReceiveWhateverTheServerSends) {
    // Loopback nginx keeps the socket full: without its pause the layer would take it all.
    TempDir root;
    constexpr std::size_t kSize = 16 << 20;
    writePatternFile(root.file("big.bin"), kSize);
    NginxServer nginx(root.path());
    Handle file = open(nginx.url("/big.bin"));
    ASSERT_TRUE(file) << GetLastError();
    std::string data;
    DWORD mostHeld = 0;
    for (;;) {
        DWORD available = 0;
        ASSERT_TRUE(InternetQueryDataAvailable(file.get(), &available, 0, 0)) << GetLastError();
        mostHeld = std::max(mostHeld, available);
        std::string piece(available, '\0');
        DWORD got = 0;
        ASSERT_TRUE(InternetReadFile(file.get(), piece.data(), available, &got));
        if (got == 0) {
            break;
        }
        data.append(piece, 0, got);
    }
    EXPECT_LE(mostHeld, static_cast<DWORD>(kReceiveBufferSize));
    ASSERT_EQ(data.size(), kSize);
    EXPECT_TRUE(matchesPattern(data.data(), data.size()));
}

TEST_F(InternetHttp, DataAvailableAndForwardMovesFollowTheStream) {
    Handle file = open(http.url("/data?size=100000"));
    ASSERT_TRUE(file);
    DWORD available = 0;
    ASSERT_TRUE(InternetQueryDataAvailable(file.get(), &available, 0, 0));
    EXPECT_GT(available, 0u);
    EXPECT_EQ(InternetSetFilePointer(file.get(), 1000, nullptr, 1 /* FILE_CURRENT */, 0), 1000u);
    EXPECT_EQ(InternetSetFilePointer(file.get(), 5000, nullptr, 0 /* FILE_BEGIN */, 0), 5000u);
    // A stream is never read again, and its end is not known beforehand.
    EXPECT_EQ(InternetSetFilePointer(file.get(), 10, nullptr, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPERATION);
    EXPECT_EQ(InternetSetFilePointer(file.get(), 0, nullptr, 2 /* FILE_END */, 0), 0xFFFFFFFFu);
    const ReadOutcome rest = readToEnd(file.get());
    ASSERT_TRUE(rest.ok);
    EXPECT_EQ(rest.data, patternBytes(95000, 5000));
    ASSERT_TRUE(InternetQueryDataAvailable(file.get(), &available, 0, 0));
    EXPECT_EQ(available, 0u);
    DWORD written = 1;
    EXPECT_FALSE(InternetWriteFile(file.get(), "x", 1, &written));
    EXPECT_EQ(written, 0u);
}

struct LengthCase {
    const char* path;
    bool found;
    DWORD value;
};

void PrintTo(const LengthCase& c, std::ostream* out) {
    *out << c.path;
}

class InternetHttpLength : public InternetHttp, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(InternetHttpLength, ComesFromTheContentLengthHeaderOnly) {
    const LengthCase& c = GetParam();
    Handle file = open(http.url(c.path));
    ASSERT_TRUE(file);
    DWORD length = 0xDEADBEEF;
    DWORD size = sizeof length;
    const BOOL ok = HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                   &length, &size, nullptr);
    EXPECT_EQ(ok != FALSE, c.found);
    if (c.found) {
        EXPECT_EQ(length, c.value);
    } else {
        EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, InternetHttpLength,
                         ::testing::Values(LengthCase{"/data?size=12345", true, 12345},
                                           LengthCase{"/data?size=0", true, 0},
                                           LengthCase{"/nolength?size=10", false, 0},
                                           LengthCase{"/chunked?size=10", false, 0}),
                         [](const auto& info) { return nameOf(info.param.path); });

TEST_F(InternetHttp, LengthPastFourGibibytesNeedsTheWideForm) {
    Handle file = open(http.url("/length?length=6000000000&send=10"));
    ASSERT_TRUE(file) << GetLastError();
    DWORD narrow = 0;
    DWORD size = sizeof narrow;
    EXPECT_FALSE(HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                &narrow, &size, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ARITHMETIC_OVERFLOW);
    std::uint64_t wide = 0;
    size = sizeof wide;
    ASSERT_TRUE(HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER64,
                               &wide, &size, nullptr));
    EXPECT_EQ(wide, 6000000000u);
    EXPECT_EQ(size, 8u);
    // The first bytes are there to read.
    char buffer[10];
    DWORD got = 0;
    ASSERT_TRUE(InternetReadFile(file.get(), buffer, sizeof buffer, &got));
    EXPECT_TRUE(got > 0 && matchesPattern(buffer, got));
}

TEST_F(InternetHttp, TextQueriesReportTheSizeNeeded) {
    Handle file = open(http.url("/data?size=42"));
    ASSERT_TRUE(file);
    char small[2];
    DWORD size = sizeof small;
    EXPECT_FALSE(HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH, small, &size, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 3u);
    char text[3];
    ASSERT_TRUE(HttpQueryInfoA(file.get(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr));
    EXPECT_EQ(std::string(text), "42");
    EXPECT_EQ(size, 2u);

    char raw[1024];
    size = sizeof raw;
    ASSERT_TRUE(HttpQueryInfoA(file.get(), HTTP_QUERY_RAW_HEADERS_CRLF, raw, &size, nullptr));
    const std::string headers(raw, size);
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(headers.find("Content-Length: 42\r\n"), std::string::npos);
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
}

struct StatusCase {
    int code;
    const char* body;
};

void PrintTo(const StatusCase& c, std::ostream* out) {
    *out << c.code;
}

class InternetHttpStatus : public InternetHttp, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(InternetHttpStatus, AnyStatusOpensWithItsBody) {
    const StatusCase& c = GetParam();
    Handle file = open(http.url("/status?code=" + std::to_string(c.code)));
    ASSERT_TRUE(file) << GetLastError();
    DWORD status = 0;
    DWORD size = sizeof status;
    ASSERT_TRUE(HttpQueryInfoA(file.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                               &size, nullptr));
    EXPECT_EQ(status, static_cast<DWORD>(c.code));
    EXPECT_EQ(readToEnd(file.get()).data, c.body);
}

INSTANTIATE_TEST_SUITE_P(Statuses, InternetHttpStatus,
                         ::testing::Values(StatusCase{200, "status 200 body\n"},
                                           StatusCase{206, "status 206 body\n"},
                                           StatusCase{404, "status 404 body\n"},
                                           StatusCase{500, "status 500 body\n"}),
                         [](const auto& info) { return std::to_string(info.param.code); });

TEST_F(InternetHttp, ReloadAsksEveryCacheToStandAside) {
    Handle reload = open(http.url("/data?size=1"));
    ASSERT_TRUE(reload);
    Handle plain = open(http.url("/data?size=2"), 0);
    ASSERT_TRUE(plain);
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Cache-Control"), "no-cache");
    EXPECT_EQ(requests[0].header("Pragma"), "no-cache");
    EXPECT_FALSE(requests[1].header("Pragma").has_value());
    EXPECT_FALSE(requests[0].header("Accept-Encoding").has_value());
    EXPECT_EQ(requests[0].header("User-Agent"), "Corvanite");
    EXPECT_EQ(requests[0].requestLine, "GET /data?size=1 HTTP/1.1");
}

TEST_F(InternetHttp, ExtraHeadersAreSentOnePerLine) {
    const char headers[] = "X-One: 1\r\nX-Two: 2\r\n";
    Handle file(InternetOpenUrlA(session.get(), http.url("/data?size=1").c_str(), headers,
                                 0xFFFFFFFF, 0, 1));
    ASSERT_TRUE(file);
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("X-One"), "1");
    EXPECT_EQ(requests[0].header("X-Two"), "2");
}

TEST_F(InternetHttp, LineBreaksInTheUrlCannotAddHeaders) {
    for (const char* tail : {"\r\nX-Injected: 1", "\nX-Injected: 1", "\rX-Injected: 1"}) {
        const std::string url = http.url("/data?size=1") + tail;
        EXPECT_FALSE(open(url)) << url;
        EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_URL);
    }
    EXPECT_TRUE(http.requests().empty());
}

TEST_F(InternetHttp, BlanksInTheUrlAreEncoded) {
    Handle file = open(http.url("/no such file"));
    ASSERT_TRUE(file);
    EXPECT_EQ(http.requests().at(0).requestLine, "GET /no%20such%20file HTTP/1.1");
}

struct RedirectCase {
    int code;
};

void PrintTo(const RedirectCase& c, std::ostream* out) {
    *out << c.code;
}

class InternetHttpRedirect : public InternetHttp,
                             public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(InternetHttpRedirect, IsFollowed) {
    const std::string target = http.url("/data?size=5000");
    Handle file = open(http.url("/redirect?code=" + std::to_string(GetParam().code) +
                                "&to=" + queryEncode(target)));
    ASSERT_TRUE(file) << GetLastError();
    DWORD status = 0;
    DWORD size = sizeof status;
    ASSERT_TRUE(HttpQueryInfoA(file.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                               &size, nullptr));
    EXPECT_EQ(status, 200u);
    const ReadOutcome outcome = readToEnd(file.get());
    EXPECT_EQ(outcome.data, patternBytes(5000));
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    // The cache bypass holds on the redirected request too.
    EXPECT_EQ(requests[1].header("Pragma"), "no-cache");
}

INSTANTIATE_TEST_SUITE_P(Codes, InternetHttpRedirect,
                         ::testing::Values(RedirectCase{301}, RedirectCase{302}, RedirectCase{303},
                                           RedirectCase{307}, RedirectCase{308}),
                         [](const auto& info) { return std::to_string(info.param.code); });

TEST_F(InternetHttp, RedirectLoopEndsAfterFiveHops) {
    EXPECT_FALSE(open(http.url("/loop")));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_REDIRECT_FAILED);
    // The first request and five redirects followed.
    EXPECT_EQ(http.requests().size(), 6u);
}

TEST_F(InternetHttp, RedirectToFtpIsNotFollowed) {
    EXPECT_FALSE(open(http.url("/redirect?to=" + queryEncode("ftp://127.0.0.1:1/x"))));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_REDIRECT_FAILED);
}

TEST_F(InternetHttp, RefusedConnectionCannotConnect) {
    const int closedPort = freeTcpPort();
    EXPECT_FALSE(open("http://127.0.0.1:" + std::to_string(closedPort) + "/x"));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
}

TEST_F(InternetHttp, ReservedInvalidNameIsNotResolved) {
    for (const char* url :
         {"http://corvanite.invalid/x", "http://A.B.INVALID./x", "ftp://corvanite.invalid/x"}) {
        EXPECT_FALSE(open(url)) << url;
        EXPECT_EQ(GetLastError(), ERROR_INTERNET_NAME_NOT_RESOLVED) << url;
    }
}

TEST_F(InternetHttp, SchemesOtherThanHttpFtpAndGopherAreRefused) {
    for (const char* url : {"gophers://127.0.0.1/x", "file:///etc/hosts", "www.example.com/x",
                            "telnet://127.0.0.1/", "dict://127.0.0.1/x"}) {
        EXPECT_FALSE(open(url)) << url;
        EXPECT_EQ(GetLastError(), ERROR_INTERNET_UNRECOGNIZED_SCHEME) << url;
    }
}

TEST_F(InternetHttp, ConnectionDroppedMidBodyFailsTheRead) {
    Handle file = open(http.url("/drop?size=100000&after=5000"));
    ASSERT_TRUE(file) << GetLastError();
    const ReadOutcome outcome = readToEnd(file.get());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, ERROR_INTERNET_CONNECTION_ABORTED);
    EXPECT_LE(outcome.data.size(), 5000u);
    EXPECT_TRUE(matchesPattern(outcome.data.data(), outcome.data.size()));
}

class InternetHttpStall : public InternetHttp {
protected:
    void SetUp() override {
        DWORD oneSecond = 1000;
        ASSERT_TRUE(InternetSetOptionA(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &oneSecond,
                                       sizeof oneSecond));
    }
};

TEST_F(InternetHttpStall, StalledBodyEndsTheReadWithATimeOut) {
    Handle file = open(http.url("/stall?size=100000&after=3000"));
    ASSERT_TRUE(file) << GetLastError();
    const ReadOutcome outcome = readToEnd(file.get());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.error, ERROR_INTERNET_TIMEOUT);
    EXPECT_EQ(outcome.data, patternBytes(3000));
}

TEST_F(InternetHttpStall, ServerThatNeverAnswersTimesOutTheOpen) {
    EXPECT_FALSE(open(http.url("/stallheaders")));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
}

// Proxies come from the environment; loopback never goes through one. The scripted server is
// the proxy: it records what reaches it.
class InternetHttpProxy : public InternetHttp {
protected:
    void SetUp() override {
        environment.set("http_proxy", "http://127.0.0.1:" + std::to_string(http.port()));
        environment.unset("no_proxy");
        environment.unset("NO_PROXY");
    }

    ScopedEnvironment environment;
};

TEST_F(InternetHttpProxy, OtherHostsGoThroughTheProxy) {
    Handle file = open("http://corvanite.example/data?size=10");
    ASSERT_TRUE(file) << GetLastError();
    EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10));
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(http.requests()[0].requestLine, "GET http://corvanite.example/data?size=10 HTTP/1.1");
}

TEST_F(InternetHttpProxy, LoopbackNamesGoDirect) {
    TempDir root;
    writePatternFile(root.file("f.bin"), 10);
    NginxServer nginx(root.path());
    for (const char* host : {"127.0.0.1", "localhost"}) {
        Handle file =
            open(std::string("http://") + host + ":" + std::to_string(nginx.port()) + "/f.bin");
        ASSERT_TRUE(file) << host << " " << GetLastError();
        EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10)) << host;
    }
    // nginx does not listen on [::1]: going direct, nothing answers there.
    EXPECT_FALSE(open("http://[::1]:" + std::to_string(nginx.port()) + "/f.bin"));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_TRUE(http.requests().empty());
}

class InternetHttpLoopbackProxy : public InternetHttpProxy,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(InternetHttpLoopbackProxy, EveryLoopbackAddressGoesDirect) {
    ScriptedHttpServer target(GetParam());
    Handle file = open(target.url("/data?size=10"));
    ASSERT_TRUE(file) << GetLastError();
    EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10));
    EXPECT_EQ(target.requests().size(), 1u);
    EXPECT_TRUE(http.requests().empty()) << http.requests()[0].raw;
}

INSTANTIATE_TEST_SUITE_P(Addresses, InternetHttpLoopbackProxy,
                         ::testing::Values("127.0.0.2", "127.1.2.3", "127.255.255.254"),
                         [](const auto& info) { return nameOf(info.param); });

TEST_F(InternetHttpProxy, NoProxyFromTheEnvironmentStillHolds) {
    // 0.0.0.0 reaches this machine, but is no loopback address: only no_proxy keeps it direct.
    ScriptedHttpServer target;
    const std::string url = "http://0.0.0.0:" + std::to_string(target.port()) + "/data?size=10";
    ASSERT_TRUE(open(url)) << GetLastError();
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(http.requests()[0].requestLine, "GET " + url + " HTTP/1.1");

    environment.set("no_proxy", "example.org,0.0.0.0");
    Handle file = open(url);
    ASSERT_TRUE(file) << GetLastError();
    EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10));
    EXPECT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(target.requests().size(), 1u);
}

}  // namespace

namespace {

// Certificates are checked: a server that no authority vouches for is refused, also at the
// end of a redirect from http.
TEST(InternetHttps, UntrustedCertificateIsRefused) {
    TempDir root;
    writePatternFile(root.file("f.bin"), 10);
    NginxServer nginx(root.path(), {.tls = true});
    ScriptedHttpServer http;
    Handle session = openSession();
    for (const std::string& url :
         {nginx.httpsUrl("/f.bin"),
          http.url("/redirect?to=" + queryEncode(nginx.httpsUrl("/f.bin")))}) {
        EXPECT_FALSE(
            Handle(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0, kProgramFlags, 1)))
            << url;
        EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_CA) << url;
    }
    // The same file over plain http reads.
    Handle file(
        InternetOpenUrlA(session.get(), nginx.url("/f.bin").c_str(), nullptr, 0, kProgramFlags, 1));
    ASSERT_TRUE(file);
    EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10));
}

// The authorities a user names in SSL_CERT_FILE are the ones trusted.
TEST(InternetHttps, CertificateOfANamedAuthorityIsTrusted) {
    TempDir root;
    writePatternFile(root.file("f.bin"), 10);
    NginxServer nginx(root.path(), {.tls = true});
    ScopedEnvironment environment;
    environment.set("SSL_CERT_FILE", nginx.certificateFile());
    Handle session = openSession();
    Handle file(InternetOpenUrlA(session.get(), nginx.httpsUrl("/f.bin").c_str(), nullptr, 0,
                                 kProgramFlags, 1));
    ASSERT_TRUE(file) << GetLastError();
    EXPECT_EQ(handleType(file.get()), INTERNET_HANDLE_TYPE_HTTP_REQUEST);
    EXPECT_EQ(readToEnd(file.get()).data, patternBytes(10));
}

TEST(InternetGopher, OpensAndReadsAFile) {
    TempDir root;
    writePatternFile(root.file("g.bin"), 300000);
    GopherServer gopher(root.path());
    Handle session = openSession();
    Handle file(InternetOpenUrlA(session.get(), gopher.url("/g.bin").c_str(), nullptr, 0,
                                 kProgramFlags, 1));
    ASSERT_TRUE(file) << GetLastError();
    EXPECT_EQ(handleType(file.get()), INTERNET_HANDLE_TYPE_GOPHER_FILE);
    const ReadOutcome outcome = readToEnd(file.get());
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.data, patternBytes(300000));
    EXPECT_EQ(gopher.selectors(), std::vector<std::string>{"/g.bin"});
    // Neither an HTTP response nor an FTP file.
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_FALSE(HttpQueryInfoA(file.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                                &size, nullptr));
    EXPECT_EQ(FtpGetFileSize(file.get(), nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
}

TEST(InternetGopher, NothingListeningCannotConnect) {
    Handle session = openSession();
    const std::string url = "gopher://127.0.0.1:" + std::to_string(freeTcpPort()) + "/9/g.bin";
    EXPECT_FALSE(
        Handle(InternetOpenUrlA(session.get(), url.c_str(), nullptr, 0, kProgramFlags, 1)));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
}

}  // namespace
