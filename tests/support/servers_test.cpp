#include <string>

#include <gtest/gtest.h>

#include "tests/support/ftp_server.h"
#include "tests/support/loopback.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

TEST(TestFiles, PatternFileHoldsThePattern) {
    TempDir dir;
    writePatternFile(dir.file("p.bin"), 100000);
    const std::string content = readFile(dir.file("p.bin"));
    ASSERT_EQ(content.size(), 100000u);
    EXPECT_TRUE(matchesPattern(content.data(), content.size()));
    EXPECT_FALSE(matchesPattern(content.data() + 1, 10));
    EXPECT_EQ(patternBytes(5, 250), std::string("\xFA\0\1\2\3", 5));
}

TEST(NginxServer, ServesTheRootDirectory) {
    TempDir root;
    writePatternFile(root.file("f.bin"), 3000);
    NginxServer nginx(root.path());
    const std::string response = loopbackHttpGet(nginx.port(), "/f.bin");
    EXPECT_NE(response.find("200 OK"), std::string::npos);
    EXPECT_NE(response.find("Content-Length: 3000"), std::string::npos);
    EXPECT_EQ(nginx.url("/f.bin"), "http://127.0.0.1:" + std::to_string(nginx.port()) + "/f.bin");
}

TEST(ScriptedHttpServer, AnswersByPathAndRecordsRequests) {
    ScriptedHttpServer http;
    const std::string data = loopbackHttpGet(http.port(), "/data?size=10");
    EXPECT_NE(data.find("Content-Length: 10\r\n"), std::string::npos);
    EXPECT_EQ(data.substr(data.size() - 10), patternBytes(10));
    EXPECT_NE(loopbackHttpGet(http.port(), "/status?code=500").find("500 Internal"),
              std::string::npos);
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine, "GET /data?size=10 HTTP/1.0");
    EXPECT_EQ(requests[1].header("host"), "127.0.0.1");
    EXPECT_FALSE(requests[1].header("Pragma").has_value());
}

TEST(FtpServer, GreetsOnItsPort) {
    TempDir root;
    FtpServer ftp(root.path());
    // An FTP server speaks first; the HTTP probe sees its greeting.
    EXPECT_NE(loopbackHttpGet(ftp.port(), "/").find("220 Corvanite test FTP server ready."),
              std::string::npos);
    EXPECT_EQ(ftp.url("/x"), "ftp://127.0.0.1:" + std::to_string(ftp.port()) + "/x");
}
