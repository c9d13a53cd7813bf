// The remote file classes on their own: which class serves what, and what a closed file does.
// Files made here over no handle are closed from the start.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "framework/exception.h"
#include "inet/gopher_file.h"
#include "inet/http_file.h"
#include "inet/internet_exception.h"
#include "inet/internet_file.h"
#include "inet/remote_file_choice.h"
#include "inet/service_type.h"
#include "platform/last_error.h"

namespace {

// The error and context of the CInternetException that action raises; {0, 0} if none.
template <typename Action>
std::pair<DWORD, DWORD> InternetFailure(Action action) {
    try {
        action();
    } catch (CInternetException* e) {
        const std::pair<DWORD, DWORD> failure{e->m_dwError, e->m_dwContext};
        e->Delete();
        return failure;
    }
    return {0, 0};
}

template <typename Action>
bool RaisesNotSupported(Action action) {
    try {
        action();
    } catch (CNotSupportedException* e) {
        e->Delete();
        return true;
    }
    return false;
}

TEST(RemoteFileChoice, ServiceAndHandleTypesShareOneTable) {
    const struct {
        DWORD value;
        const char* className;
    } rows[] = {
        {ServiceFtp, "CInternetFile"},
        {INTERNET_HANDLE_TYPE_FTP_FILE, "CInternetFile"},
        {ServiceGopher, "CGopherFile"},
        {INTERNET_HANDLE_TYPE_GOPHER_FILE, "CGopherFile"},
        {ServiceHttp, "CHttpFile"},
        {INTERNET_HANDLE_TYPE_HTTP_REQUEST, "CHttpFile"},
        {ServiceHttps, "CHttpFile"},
        {ServiceFile, nullptr},
        {ServiceMailto, nullptr},
        {ServiceNews, nullptr},
        {ServiceUnknown, nullptr},
        {INTERNET_HANDLE_TYPE_FTP_FIND, nullptr},
        {INTERNET_HANDLE_TYPE_FILE_REQUEST, nullptr},
        {0, nullptr},
    };
    for (const auto& row : rows) {
        std::unique_ptr<CInternetFile> file(
            NewRemoteFile(row.value, nullptr, "/dir/f.bin", "server.example", 9));
        if (row.className == nullptr) {
            EXPECT_EQ(file, nullptr) << row.value;
            continue;
        }
        ASSERT_NE(file, nullptr) << row.value;
        EXPECT_STREQ(file->GetRuntimeClassName(), row.className);
        EXPECT_TRUE(file->IsReadMode());
        EXPECT_EQ(file->GetContext(), 9u);
        if (auto* http = dynamic_cast<CHttpFile*>(file.get())) {
            EXPECT_EQ(http->GetVerb(), "GET");
            EXPECT_EQ(http->GetObject(), "/dir/f.bin");
        }
        if (dynamic_cast<CGopherFile*>(file.get()) != nullptr) {
            EXPECT_EQ(file->GetFilePath(), "");
            EXPECT_EQ(file->GetServerName(), "");
        } else {
            EXPECT_EQ(file->GetFilePath(), "/dir/f.bin");
            EXPECT_EQ(file->GetFileName(), "f.bin");
            EXPECT_EQ(file->GetServerName(), "server.example");
        }
    }
}

TEST(InternetFile, ClosedFileRaisesInvalidHandleWithItsContext) {
    CHttpFile file(nullptr, "/x", "server", "GET", 31);
    char buffer[16];
    using Failure = std::pair<DWORD, DWORD>;
    const Failure closed{ERROR_INVALID_HANDLE, 31};
    EXPECT_EQ(InternetFailure([&] { file.Read(buffer, sizeof(buffer)); }), closed);
    EXPECT_EQ(InternetFailure([&] { file.ReadString(buffer, sizeof(buffer)); }), closed);
    std::string line;
    EXPECT_EQ(InternetFailure([&] { file.ReadString(line); }), closed);
    EXPECT_EQ(InternetFailure([&] { file.Write("x", 1); }), closed);
    EXPECT_EQ(InternetFailure([&] { file.WriteString("x"); }), closed);
    EXPECT_EQ(InternetFailure([&] { file.Seek(0, CFile::begin); }), closed);
    EXPECT_EQ(file.AvailableLength(), 0u);
    DWORD status = 0;
    DWORD length = sizeof(status);
    SetLastError(0);
    EXPECT_FALSE(
        file.QueryHeader(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    file.Close();
    file.Close();
}

TEST(InternetFile, OperationsARemoteFileCannotDo) {
    CInternetFile file(nullptr, "/x", "server", 1, true);
    EXPECT_TRUE(RaisesNotSupported([&] { delete file.Duplicate(); }));
    EXPECT_TRUE(RaisesNotSupported([&] { file.SetLength(10); }));
    EXPECT_TRUE(RaisesNotSupported([&] { file.LockRange(0, 10); }));
    EXPECT_TRUE(RaisesNotSupported([&] { file.UnlockRange(0, 10); }));
    CGopherFile gopher(nullptr, "", 1, false);
    EXPECT_TRUE(RaisesNotSupported([&] { gopher.Write("x", 1); }));
    EXPECT_TRUE(RaisesNotSupported([&] { gopher.WriteString("x"); }));
}

TEST(InternetFile, AbortForgetsTheName) {
    CInternetFile file(nullptr, "/dir/name.bin", "server", 1, true);
    file.Abort();
    EXPECT_EQ(file.GetFilePath(), "");
}

TEST(HttpFile, FileUrlText) {
    int connection = 0;  // stands for a server connection; the file never closes it
    const struct {
        HINTERNET connection;
        const char* object;
        const char* text;
    } rows[] = {
        {nullptr, "/a/b.bin", "http://"},
        {&connection, "/a/b.bin", "http://server.example/a/b.bin"},
        {&connection, "a/b.bin", "http://server.example/a/b.bin"},
        {&connection, "\\a\\b.bin", "http://server.example\\a\\b.bin"},
        {&connection, "", "http://server.example"},
    };
    for (const auto& row : rows) {
        CHttpFile file(nullptr, row.object, "server.example", "GET", 1, true, row.connection);
        EXPECT_EQ(file.FileUrlText(), row.text) << row.object;
    }
}

}  // namespace
