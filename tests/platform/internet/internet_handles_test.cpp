// Handles of the Internet calls: types, closing, options, callbacks, bad handles.
#include <gtest/gtest.h>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"
#include "tests/platform/internet/internet_test_helpers.h"
#include "tests/support/ftp_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace internettest;
using namespace testsupport;

namespace {

TEST(InternetHandles, EachKindReportsItsType) {
    TempDir root;
    writePatternFile(root.file("f.bin"), 10);
    FtpServer ftp(root.path());
    ScriptedHttpServer http;
    Handle session = openSession();
    ASSERT_TRUE(session);
    Handle connection(InternetConnectA(session.get(), "127.0.0.1",
                                       static_cast<INTERNET_PORT>(ftp.port()), nullptr, nullptr,
                                       INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0));
    ASSERT_TRUE(connection);
    Handle ftpFile(
        FtpOpenFileA(connection.get(), "f.bin", GENERIC_READ, FTP_TRANSFER_TYPE_BINARY, 0));
    ASSERT_TRUE(ftpFile);
    Handle ftpUrl(InternetOpenUrlA(session.get(), ftp.url("/f.bin").c_str(), nullptr, 0, 0, 1));
    Handle httpUrl(
        InternetOpenUrlA(session.get(), http.url("/data?size=1").c_str(), nullptr, 0, 0, 1));
    ASSERT_TRUE(ftpUrl && httpUrl);

    EXPECT_EQ(handleType(session.get()), INTERNET_HANDLE_TYPE_INTERNET);
    EXPECT_EQ(handleType(connection.get()), INTERNET_HANDLE_TYPE_CONNECT_FTP);
    EXPECT_EQ(handleType(ftpFile.get()), INTERNET_HANDLE_TYPE_FTP_FILE);
    EXPECT_EQ(handleType(ftpUrl.get()), INTERNET_HANDLE_TYPE_FTP_FILE);
    EXPECT_EQ(handleType(httpUrl.get()), INTERNET_HANDLE_TYPE_HTTP_REQUEST);

    // Calls made on the wrong kind of handle.
    char buffer[4];
    DWORD got = 0;
    EXPECT_FALSE(InternetReadFile(connection.get(), buffer, sizeof buffer, &got));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    DWORD size = sizeof buffer;
    EXPECT_FALSE(HttpQueryInfoA(ftpUrl.get(), HTTP_QUERY_STATUS_CODE, buffer, &size, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    EXPECT_EQ(FtpGetFileSize(httpUrl.get(), nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
}

TEST(InternetHandles, ClosingTwiceFailsTheSecondTime) {
    HINTERNET session = InternetOpenA("t", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    EXPECT_TRUE(InternetCloseHandle(session));
    EXPECT_FALSE(InternetCloseHandle(session));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(handleType(session), 0u);
}

TEST(InternetHandles, UnknownHandlesAreInvalid) {
    HINTERNET madeUp = reinterpret_cast<HINTERNET>(0x1234);
    for (HINTERNET handle : {static_cast<HINTERNET>(nullptr), madeUp}) {
        char buffer[8];
        DWORD got = 5;
        SetLastError(0);
        EXPECT_FALSE(InternetReadFile(handle, buffer, sizeof buffer, &got));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(got, 0u);
        DWORD size = sizeof buffer;
        EXPECT_FALSE(HttpQueryInfoA(handle, HTTP_QUERY_STATUS_CODE, buffer, &size, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(InternetCloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(InternetSetStatusCallback(handle, nullptr), INTERNET_INVALID_STATUS_CALLBACK);
        EXPECT_FALSE(InternetOpenUrlA(handle, "http://127.0.0.1:1/", nullptr, 0, 0, 1));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        DWORD type = 0;
        size = sizeof type;
        EXPECT_FALSE(InternetQueryOptionA(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &size));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST(InternetHandles, QueryOptionReportsTheSizeNeeded) {
    Handle session = openSession();
    char small[2];
    DWORD size = sizeof small;
    EXPECT_FALSE(InternetQueryOptionA(session.get(), INTERNET_OPTION_HANDLE_TYPE, small, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 4u);
}

DWORD timeoutOf(HINTERNET handle, DWORD option) {
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_TRUE(InternetQueryOptionA(handle, option, &value, &size));
    return value;
}

TEST(InternetHandles, TimeOutsComeFromTheProcessDefaultsAndTheSession) {
    EXPECT_EQ(timeoutOf(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT), 60000u);
    EXPECT_EQ(timeoutOf(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT), 30000u);
    Handle before = openSession();
    DWORD shorter = 1500;
    ASSERT_TRUE(
        InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &shorter, sizeof shorter));
    Handle after = openSession();
    EXPECT_EQ(timeoutOf(before.get(), INTERNET_OPTION_RECEIVE_TIMEOUT), 30000u);
    EXPECT_EQ(timeoutOf(after.get(), INTERNET_OPTION_RECEIVE_TIMEOUT), 1500u);
    DWORD connect = 2500;
    ASSERT_TRUE(
        InternetSetOptionA(after.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect));
    EXPECT_EQ(timeoutOf(after.get(), INTERNET_OPTION_CONNECT_TIMEOUT), 2500u);
    DWORD standard = 30000;
    ASSERT_TRUE(
        InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &standard, sizeof standard));
    EXPECT_FALSE(
        InternetSetOptionA(after.get(), INTERNET_OPTION_HANDLE_TYPE, &standard, sizeof standard));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPTION);
}

void callbackA(HINTERNET, DWORD_PTR, DWORD, void*, DWORD) {}
void callbackB(HINTERNET, DWORD_PTR, DWORD, void*, DWORD) {}

TEST(InternetHandles, StatusCallbackHandsBackThePreviousOne) {
    Handle session = openSession();
    EXPECT_EQ(InternetSetStatusCallback(session.get(), &callbackA), nullptr);
    EXPECT_EQ(InternetSetStatusCallback(session.get(), &callbackB), &callbackA);
    EXPECT_EQ(InternetSetStatusCallback(session.get(), nullptr), &callbackB);
}

TEST(InternetHandles, LastResponseReportsTheSizeNeeded) {
    TempDir root;
    FtpServer ftp(root.path(), {.anonymous = false});
    Handle session = openSession();
    ASSERT_FALSE(
        Handle(InternetConnectA(session.get(), "127.0.0.1", static_cast<INTERNET_PORT>(ftp.port()),
                                nullptr, nullptr, INTERNET_SERVICE_FTP, 0, 0)));
    DWORD code = 0;
    DWORD length = 0;
    EXPECT_FALSE(InternetGetLastResponseInfoA(&code, nullptr, &length));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::string text(length, 'x');
    ASSERT_TRUE(InternetGetLastResponseInfoA(&code, text.data(), &length));
    EXPECT_EQ(length, text.size() - 1);
    EXPECT_EQ(text.back(), '\0');
    EXPECT_EQ(text.substr(0, 3), "530");
}

}  // namespace
