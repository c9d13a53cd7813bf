#include "inet/split_url.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* url;
    DWORD service;
    const char* server;
    const char* object;
    INTERNET_PORT port;
};

const Row schemeRows[] = {
    {"ftp://ftp.example.com/pub/file.zip", ServiceFtp, "ftp.example.com", "/pub/file.zip", 21},
    {"gopher://gopher.example.com/1/x", ServiceGopher, "gopher.example.com", "/1/x", 70},
    {"http://www.example.com/files/10MB.bin", ServiceHttp, "www.example.com", "/files/10MB.bin",
     80},
    {"https://www.example.com/a.bin", ServiceHttps, "www.example.com", "/a.bin", 443},
    {"file:///tmp/x.bin", ServiceFile, "", "/tmp/x.bin", 0},
    {"news:comp.lang.c", ServiceNews, "", "comp.lang.c", 0},
    {"mailto:someone@example.com", ServiceMailto, "", "someone@example.com", 0},
    {"foo://host.example/path", ServiceUnknown, "host.example", "/path", 0},
    {"javascript:void(0)", ServiceUnknown, "", "void(0)", 0},
    {"http://user:pw@[::1]:8080/x y.bin", ServiceHttp, "[::1]", "/x%20y.bin", 8080},
    {"http://host:0/x", ServiceHttp, "host", "/x", 0},
    {"http://host/a/./b/../c.bin?q= 1 ", ServiceHttp, "host", "/a/c.bin?q= 1 ", 80},
    {"http://host/100%25/%", ServiceHttp, "host", "/100%25/%", 80},
};

TEST(SplitUrl, SchemesMapToServiceTypes) {
    for (const Row& row : schemeRows) {
        SCOPED_TRACE(row.url);
        DWORD service = 0;
        std::string server;
        std::string object;
        INTERNET_PORT port = 12345;
        ASSERT_TRUE(SplitUrl(row.url, service, server, object, port));
        EXPECT_EQ(service, row.service);
        EXPECT_EQ(server, row.server);
        EXPECT_EQ(object, row.object);
        EXPECT_EQ(port, row.port);
    }
}

TEST(SplitUrl, FailuresGiveServiceUnknownAndKeepThePort) {
    const char* failing[] = {"",
                             "http:",
                             "http://",
                             "ftp://",
                             "http:///x",
                             "no scheme",
                             "http://host:99999/x",
                             "http://bad host/x",
                             "file://elsewhere/x"};
    for (const char* url : failing) {
        DWORD service = ServiceHttp;
        std::string server;
        std::string object;
        INTERNET_PORT port = 4242;
        EXPECT_FALSE(SplitUrl(url, service, server, object, port)) << url;
        EXPECT_EQ(service, ServiceUnknown) << url;
        EXPECT_EQ(port, 4242) << url;
    }
}

TEST(SplitUrl, AbsentUrlLeavesTheOutputsAlone) {
    DWORD service = ServiceFtp;
    std::string server = "kept server";
    std::string object = "kept object";
    INTERNET_PORT port = 4242;
    EXPECT_FALSE(SplitUrl(nullptr, service, server, object, port));
    EXPECT_EQ(service, ServiceUnknown);
    EXPECT_EQ(server, "kept server");
    EXPECT_EQ(object, "kept object");
    EXPECT_EQ(port, 4242);
}

TEST(SplitUrl, TextsAreSizedToTheirContent) {
    DWORD service = 0;
    std::string server = "something longer than the host";
    std::string object;
    INTERNET_PORT port = 0;
    ASSERT_TRUE(SplitUrl("http://h/p", service, server, object, port));
    EXPECT_EQ(server.size(), 1u);
    EXPECT_EQ(object.size(), 2u);
}

// Lengths around the platform's 2084-character limit.
struct LengthRow {
    const char* name;
    std::string url;
    bool splits;
    std::size_t objectLength;
};

std::vector<LengthRow> LengthRows() {
    const std::string base = "http://h";  // 8 characters
    return {
        {"canonical form exactly fills the first buffer", base + "/" + std::string(2074, 'a'), true,
         2075},
        {"canonical form one past the first buffer", base + "/" + std::string(2075, 'a'), true,
         2076},
        // Each blank triples: the text is short, its canonical form is not.
        {"encoding grows the form past the first buffer, path fits",
         base + "/" + std::string(693, ' ') + "xx", true, 2082},
        {"encoding grows the path past its room", base + "/" + std::string(999, ' ') + "x", false,
         0},
        {"path of 2083 fits", base + "/" + std::string(2082, 'p'), true, 2083},
        {"path of 2084 does not fit", base + "/" + std::string(2083, 'p'), false, 0},
        {"path of 3000", base + "/" + std::string(2999, 'p'), false, 0},
        {"query of 3000 rides on the path", base + "/x?" + std::string(2998, 'q'), false, 0},
        {"host of 2083 fits", "http://" + std::string(2083, 'h') + "/", true, 1},
        {"host of 3000", "http://" + std::string(3000, 'h') + "/", false, 0},
        {"10000 characters", base + "/" + std::string(10000, 'x'), false, 0},
    };
}

TEST(SplitUrl, LongUrls) {
    for (const LengthRow& row : LengthRows()) {
        SCOPED_TRACE(row.name);
        DWORD service = 0;
        std::string server;
        std::string object;
        INTERNET_PORT port = 0;
        EXPECT_EQ(SplitUrl(row.url.c_str(), service, server, object, port), row.splits);
        EXPECT_EQ(service, row.splits ? ServiceHttp : ServiceUnknown);
        if (row.splits) {
            EXPECT_EQ(object.size(), row.objectLength);
        }
        EXPECT_LE(server.size(), INTERNET_MAX_URL_LENGTH);
        EXPECT_LE(object.size(), INTERNET_MAX_URL_LENGTH);
    }
}

TEST(SplitUrl, HostileTextsAreSafe) {
    std::string controls = "http://host/";
    for (int c = 1; c < 256; ++c) {
        controls += static_cast<char>(c);
    }
    const std::string texts[] = {controls,
                                 std::string(10000, '%'),
                                 std::string(10000, '/'),
                                 "http://" + std::string(5000, '@') + "/",
                                 "http://[" + std::string(5000, ':') + "]/",
                                 std::string(3000, ' ') + "http://h/x"};
    for (const std::string& text : texts) {
        DWORD service = 0;
        std::string server;
        std::string object;
        INTERNET_PORT port = 0;
        SplitUrl(text.c_str(), service, server, object, port);
        EXPECT_LE(server.size(), INTERNET_MAX_URL_LENGTH);
        EXPECT_LE(object.size(), INTERNET_MAX_URL_LENGTH);
    }
}

}  // namespace
