// The FTP side of the Internet calls against a real FTP server on loopback: downloads by URL,
// and the connect / open / size sequence that the size probe makes.
#include <filesystem>
#include <ostream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "tests/platform/internet/internet_test_helpers.h"
#include "tests/support/ftp_server.h"
#include "tests/support/network_namespace.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace internettest;
using namespace testsupport;

namespace {

constexpr DWORD kSize = 300000;

class InternetFtp : public ::testing::Test {
protected:
    InternetFtp() {
        writePatternFile(root.file("file.bin"), kSize);
        std::filesystem::create_directory(root.file("sub"));
        writePatternFile(root.file("sub/in sub.bin"), 1000);
        writeFile(root.file("empty.txt"), "");
    }

    Handle connect(FtpServer& server, const char* user = nullptr, const char* password = nullptr) {
        return Handle(InternetConnectA(session.get(), "127.0.0.1",
                                       static_cast<INTERNET_PORT>(server.port()), user, password,
                                       INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0));
    }
    Handle openFile(const Handle& connection, const char* name) {
        return Handle(
            FtpOpenFileA(connection.get(), name, GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
    }

    TempDir root;
    Handle session = openSession(INTERNET_FLAG_ASYNC);
};

TEST_F(InternetFtp, DownloadsByUrl) {
    FtpServer ftp(root.path());
    for (const char* path : {"/file.bin", "/sub/in%20sub.bin", "/empty.txt"}) {
        Handle file(InternetOpenUrlA(session.get(), ftp.url(path).c_str(), nullptr, 0,
                                     INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1));
        ASSERT_TRUE(file) << path << " " << GetLastError() << ftp.log();
        EXPECT_EQ(handleType(file.get()), INTERNET_HANDLE_TYPE_FTP_FILE);
        const ReadOutcome outcome = readToEnd(file.get());
        ASSERT_TRUE(outcome.ok) << outcome.error;
        EXPECT_EQ(outcome.data.size(), std::string(path) == "/file.bin"    ? kSize
                                       : std::string(path) == "/empty.txt" ? 0u
                                                                           : 1000u);
        EXPECT_TRUE(matchesPattern(outcome.data.data(), outcome.data.size())) << path;
        // The size the server gave before sending.
        DWORD high = 1;
        EXPECT_EQ(FtpGetFileSize(file.get(), &high), outcome.data.size());
        EXPECT_EQ(high, 0u);
    }
    // Passive mode, binary transfer.
    EXPECT_NE(ftp.log().find("EPSV"), std::string::npos);
    EXPECT_NE(ftp.log().find("TYPE I"), std::string::npos);
}

// Some servers refuse SIZE, some with 550 as if the file were missing: a download by URL
// does not depend on it.
class InternetFtpSizeRefused : public InternetFtp, public ::testing::WithParamInterface<int> {};

TEST_P(InternetFtpSizeRefused, DownloadByUrlReadsTheWholeFile) {
    FtpServer ftp(root.path(), {.refuseSize = GetParam()});
    Handle file(InternetOpenUrlA(session.get(), ftp.url("/file.bin").c_str(), nullptr, 0,
                                 INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1));
    ASSERT_TRUE(file) << GetLastError() << ftp.log();
    const ReadOutcome outcome = readToEnd(file.get());
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(outcome.data, patternBytes(kSize));
}

INSTANTIATE_TEST_SUITE_P(Reply, InternetFtpSizeRefused, ::testing::Values(500, 550),
                         [](const auto& info) { return "Size" + std::to_string(info.param); });

TEST_F(InternetFtp, MissingFileByUrlFailsWithTheServersReply) {
    FtpServer ftp(root.path());
    EXPECT_FALSE(Handle(InternetOpenUrlA(session.get(), ftp.url("/none.bin").c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD, 1)));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_EQ(lastResponse().substr(0, 3), "550");
}

struct SizeCase {
    const char* name;
    int refuseSize;  // 0: SIZE is answered
    const char* file;
    DWORD low;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.name;
}

class InternetFtpSize : public InternetFtp, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(InternetFtpSize, ProbeSequenceGivesTheSizeOrInvalid) {
    const SizeCase& c = GetParam();
    FtpServer ftp(root.path(), {.refuseSize = c.refuseSize});
    Handle connection = connect(ftp);
    ASSERT_TRUE(connection) << GetLastError() << ftp.log();
    EXPECT_EQ(lastResponse().substr(0, 1), "2");  // logged in
    Handle file = openFile(connection, c.file);
    ASSERT_TRUE(file) << GetLastError();
    DWORD high = 7;
    EXPECT_EQ(FtpGetFileSize(file.get(), &high), c.low);
    EXPECT_EQ(high, 0u);
    if (c.refuseSize) {
        EXPECT_NE(GetLastError(), ERROR_SUCCESS);
    }
    // The file reads all the same, over the same connection.
    const ReadOutcome outcome = readToEnd(file.get());
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(matchesPattern(outcome.data.data(), outcome.data.size()));
    EXPECT_EQ(outcome.data.size(), std::string(c.file) == "file.bin" ? kSize : 1000u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, InternetFtpSize,
                         ::testing::Values(SizeCase{"Known", 0, "file.bin", kSize},
                                           SizeCase{"KnownAbsolute", 0, "/sub/in sub.bin", 1000},
                                           SizeCase{"KnownRelative", 0, "sub/in sub.bin", 1000},
                                           SizeCase{"Unknown", 500, "file.bin", 0xFFFFFFFF}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InternetFtp, SizePastFourGibibytesHasAHighPart) {
    makeSparseFile(root.file("big.bin"), (5ULL << 30) + 7);
    FtpServer ftp(root.path());
    Handle connection = connect(ftp);
    ASSERT_TRUE(connection);
    Handle file = openFile(connection, "/big.bin");
    ASSERT_TRUE(file);
    DWORD high = 0;
    EXPECT_EQ(FtpGetFileSize(file.get(), &high), (1ULL << 30) + 7);
    EXPECT_EQ(high, 1u);
}

TEST_F(InternetFtp, RefusedAnonymousLoginFailsTheConnect) {
    FtpServer ftp(root.path(), {.anonymous = false});
    EXPECT_FALSE(connect(ftp));
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_INTERNET_LOGIN_FAILURE || error == ERROR_INTERNET_EXTENDED_ERROR)
        << error;
    DWORD code = 0;
    char text[255];
    DWORD length = sizeof text;
    ASSERT_TRUE(InternetGetLastResponseInfoA(&code, text, &length));
    EXPECT_EQ(std::string(text, length).substr(0, 4), "530 ");
    EXPECT_EQ(code, 530u);
}

TEST_F(InternetFtp, AccountLogsInWithItsPassword) {
    FtpServer ftp(root.path(), {.anonymous = false, .user = "joe", .password = "secret"});
    EXPECT_FALSE(connect(ftp, "joe", "wrong"));
    Handle connection = connect(ftp, "joe", "secret");
    ASSERT_TRUE(connection) << GetLastError();
    Handle file = openFile(connection, "file.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(readToEnd(file.get()).data.size(), kSize);
}

TEST_F(InternetFtp, LastResponseIsKeptPerThread) {
    FtpServer ftp(root.path(), {.anonymous = false});
    EXPECT_FALSE(connect(ftp));
    std::string seenByOther = "unset";
    std::thread([&] { seenByOther = lastResponse(); }).join();
    EXPECT_EQ(seenByOther, "");
    EXPECT_EQ(lastResponse().substr(0, 3), "530");
}

TEST_F(InternetFtp, MissingFileFailsTheOpenWithTheServersReply) {
    FtpServer ftp(root.path());
    Handle connection = connect(ftp);
    ASSERT_TRUE(connection);
    EXPECT_FALSE(openFile(connection, "none.bin"));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_EQ(lastResponse().substr(0, 3), "550");
    // The connection serves the next file.
    Handle file = openFile(connection, "file.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(readToEnd(file.get()).data.size(), kSize);
}

TEST_F(InternetFtp, OneFileAtATimePerConnection) {
    FtpServer ftp(root.path());
    Handle connection = connect(ftp);
    ASSERT_TRUE(connection);
    Handle first = openFile(connection, "file.bin");
    ASSERT_TRUE(first);
    EXPECT_FALSE(openFile(connection, "file.bin"));
    EXPECT_EQ(GetLastError(), ERROR_FTP_TRANSFER_IN_PROGRESS);
    // Closed half-way, the first makes room for the next, which reads in full.
    char buffer[1024];
    DWORD got = 0;
    ASSERT_TRUE(InternetReadFile(first.get(), buffer, sizeof buffer, &got));
    first.reset();
    Handle second = openFile(connection, "file.bin");
    ASSERT_TRUE(second) << GetLastError();
    const ReadOutcome outcome = readToEnd(second.get());
    EXPECT_EQ(outcome.data.size(), kSize);
    EXPECT_TRUE(matchesPattern(outcome.data.data(), outcome.data.size()));
}

TEST_F(InternetFtp, ConnectToAClosedPortCannotConnect) {
    DWORD port = 0;
    {
        FtpServer ftp(root.path());
        port = static_cast<DWORD>(ftp.port());
    }
    EXPECT_FALSE(
        Handle(InternetConnectA(session.get(), "127.0.0.1", static_cast<INTERNET_PORT>(port),
                                nullptr, nullptr, INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0)));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
}

TEST_F(InternetFtp, ConnectRefusesWhatCannotWork) {
    EXPECT_FALSE(Handle(InternetConnectA(session.get(), "ftp.corvanite.invalid", 21, nullptr,
                                         nullptr, INTERNET_SERVICE_FTP, 0, 0)));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_NAME_NOT_RESOLVED);
    EXPECT_FALSE(Handle(InternetConnectA(session.get(), "127.0.0.1", 21, "a\r\nDELE x", nullptr,
                                         INTERNET_SERVICE_FTP, 0, 0)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(Handle(
        InternetConnectA(nullptr, "127.0.0.1", 21, nullptr, nullptr, INTERNET_SERVICE_FTP, 0, 0)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// Port 21, the size probe's for a URL without a port, on a thread moved into a network of
// its own: the server it starts and the calls it makes meet there, and nothing else sees them.
TEST_F(InternetFtp, ProbeOnPortTwentyOneInAPrivateNetwork) {
    std::string why;
    bool entered = false;
    DWORD size = 0;
    std::string reply;
    std::thread([&] {
        entered = enterPrivateNetworkNamespace(&why);
        if (!entered) {
            return;
        }
        FtpServer ftp(root.path(), {.port = 21});
        Handle probe = openSession(INTERNET_FLAG_ASYNC);
        Handle connection(InternetConnectA(probe.get(), "127.0.0.1", INTERNET_DEFAULT_FTP_PORT,
                                           nullptr, nullptr, INTERNET_SERVICE_FTP,
                                           INTERNET_FLAG_PASSIVE, 0));
        Handle file = connection ? openFile(connection, "/file.bin") : Handle();
        size = file ? FtpGetFileSize(file.get(), nullptr) : GetLastError();
        reply = lastResponse();
    }).join();
    if (!entered) {
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(size, kSize) << reply;
}

}  // namespace
