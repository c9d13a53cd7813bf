// The session and its remote files against real servers on loopback.
#include "inet/internet_session.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/file_exception.h"
#include "framework/stdio_file.h"
#include "inet/gopher_file.h"
#include "inet/http_file.h"
#include "inet/internet_exception.h"
#include "inet/internet_file.h"
#include "inet/service_type.h"
#include "inet/session_registry.h"
#include "inet/split_url.h"
#include "platform/last_error.h"
#include "services/app_services.h"
#include "tests/support/ftp_server.h"
#include "tests/support/gopher_server.h"
#include "tests/support/loopback.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::FtpServer;
using testsupport::NginxServer;
using testsupport::ScriptedHttpServer;
using testsupport::TempDir;

// The flags the bandwidth test opens its URL with.
constexpr DWORD testFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_TRANSFER_BINARY;

// Reads in the program's 1024-byte blocks until a read returns 0.
std::string ReadToEnd(CFile& file, std::size_t* reads = nullptr) {
    std::string data;
    char block[1024];
    std::size_t count = 0;
    for (;;) {
        const UINT n = file.Read(block, sizeof(block));
        EXPECT_LE(n, sizeof(block));
        if (n == 0) {
            break;
        }
        ++count;
        data.append(block, n);
    }
    if (reads != nullptr) {
        *reads = count;
    }
    return data;
}

template <typename Action>
CInternetException* Raised(Action action) {
    try {
        action();
    } catch (CInternetException* e) {
        return e;
    }
    return nullptr;
}

struct Disposer {
    void operator()(CException* e) const {
        if (e != nullptr) {
            e->Delete();
        }
    }
};
using Caught = std::unique_ptr<CInternetException, Disposer>;

// A URL on a loopback port where nothing listens.
std::string RefusedUrl(const char* scheme) {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(testsupport::freeTcpPort()) +
           "/x.bin";
}

class InternetSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = new TempDir;
        testsupport::writePatternFile(root->file("pattern.bin"), patternSize);
        nginx = new NginxServer(root->path());
    }
    static void TearDownTestSuite() {
        delete nginx;
        delete root;
    }

    static constexpr std::size_t patternSize = 300000;
    static TempDir* root;
    static NginxServer* nginx;
};

TempDir* InternetSessionTest::root = nullptr;
NginxServer* InternetSessionTest::nginx = nullptr;

TEST_F(InternetSessionTest, HttpReadsToTheEndInBlocks) {
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    auto* http = dynamic_cast<CHttpFile*>(file.get());
    ASSERT_NE(http, nullptr);
    EXPECT_STREQ(file->GetRuntimeClassName(), "CHttpFile");
    EXPECT_EQ(http->GetObject(), "/pattern.bin");
    EXPECT_EQ(http->GetServerName(), "127.0.0.1");
    EXPECT_EQ(http->FileUrlText(), "http://");

    DWORD length = 0;
    DWORD size = sizeof(length);
    ASSERT_TRUE(http->QueryHeader(HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH, &length,
                                  &size, nullptr));
    EXPECT_EQ(length, patternSize);
    std::uint64_t length64 = 0;
    size = sizeof(length64);
    ASSERT_TRUE(http->QueryHeader(HTTP_QUERY_FLAG_NUMBER64 | HTTP_QUERY_CONTENT_LENGTH, &length64,
                                  &size, nullptr));
    EXPECT_EQ(length64, patternSize);
    DWORD status = 0;
    size = sizeof(status);
    ASSERT_TRUE(http->QueryHeader(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size));
    EXPECT_EQ(status, 200u);

    std::size_t reads = 0;
    const std::string data = ReadToEnd(*file, &reads);
    EXPECT_EQ(data.size(), patternSize);
    EXPECT_TRUE(testsupport::matchesPattern(data.data(), data.size()));
    EXPECT_GE(reads, patternSize / 1024);
    EXPECT_EQ(file->Read(nullptr, 0), 0u);
    char more[16];
    EXPECT_EQ(file->Read(more, sizeof(more)), 0u) << "the end stays the end";
    file->Close();
}

TEST_F(InternetSessionTest, ResponsesWithoutContentLength) {
    ScriptedHttpServer http;
    CInternetSession session;
    for (const char* path : {"/nolength?size=70000", "/chunked?size=70000&chunk=777"}) {
        SCOPED_TRACE(path);
        std::unique_ptr<CStdioFile> file(session.OpenRemote(http.url(path).c_str(), 1, testFlags));
        auto* httpFile = dynamic_cast<CHttpFile*>(file.get());
        ASSERT_NE(httpFile, nullptr);
        DWORD length = 0;
        DWORD size = sizeof(length);
        EXPECT_FALSE(httpFile->QueryHeader(HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH,
                                           &length, &size));
        const std::string data = ReadToEnd(*file);
        EXPECT_EQ(data.size(), 70000u);
        EXPECT_TRUE(testsupport::matchesPattern(data.data(), data.size()));
        file->Close();
    }
}

TEST_F(InternetSessionTest, LengthPast4GiBComesOnlyAs64Bits) {
    ScriptedHttpServer http;
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(http.url("/length?length=6000000000&send=10").c_str(), 1, testFlags));
    auto* httpFile = dynamic_cast<CHttpFile*>(file.get());
    ASSERT_NE(httpFile, nullptr);
    std::uint64_t length64 = 0;
    DWORD size = sizeof(length64);
    ASSERT_TRUE(httpFile->QueryHeader(HTTP_QUERY_FLAG_NUMBER64 | HTTP_QUERY_CONTENT_LENGTH,
                                      &length64, &size));
    EXPECT_EQ(length64, 6000000000u);
    DWORD length = 0;
    size = sizeof(length);
    EXPECT_FALSE(
        httpFile->QueryHeader(HTTP_QUERY_FLAG_NUMBER | HTTP_QUERY_CONTENT_LENGTH, &length, &size));
}

TEST_F(InternetSessionTest, HttpStatusIsNotLookedAt) {
    ScriptedHttpServer http;
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(http.url("/status?code=404").c_str(), 1, testFlags));
    auto* httpFile = dynamic_cast<CHttpFile*>(file.get());
    ASSERT_NE(httpFile, nullptr);
    DWORD status = 0;
    DWORD size = sizeof(status);
    ASSERT_TRUE(
        httpFile->QueryHeader(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size));
    EXPECT_EQ(status, 404u);
    EXPECT_EQ(ReadToEnd(*file), "status 404 body\n");
}

TEST_F(InternetSessionTest, DefaultAgentIsTheApplicationName) {
    SetApplicationNameFromPath("/opt/tools/Corvanite.EXE");
    ScriptedHttpServer http;
    {
        CInternetSession session;
        std::unique_ptr<CStdioFile> file(
            session.OpenRemote(http.url("/data?size=10").c_str(), 1, testFlags));
        ASSERT_NE(file, nullptr);
        CInternetSession named("Named Agent/1.0");
        std::unique_ptr<CStdioFile> other(
            named.OpenRemote(http.url("/data?size=10").c_str(), 1, testFlags));
        ASSERT_NE(other, nullptr);
    }
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("User-Agent").value_or(""), "Corvanite");
    EXPECT_EQ(requests[1].header("User-Agent").value_or(""), "Named Agent/1.0");
}

TEST_F(InternetSessionTest, HandleTypeChoosesTheClassWhenTheUrlCannotBeSplit) {
    // A query past the splitter's room: the platform still opens the URL.
    const std::string url = nginx->url("/pattern.bin?") + std::string(3000, 'q');
    DWORD service = 0;
    std::string server;
    std::string object;
    INTERNET_PORT port = 0;
    ASSERT_FALSE(SplitUrl(url.c_str(), service, server, object, port));

    CInternetSession session;
    std::unique_ptr<CStdioFile> file(session.OpenRemote(url.c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->GetRuntimeClassName(), "CHttpFile");
    auto* remote = dynamic_cast<CInternetFile*>(file.get());
    EXPECT_EQ(ServiceTypeOfHandle(remote->GetInternetHandle()), INTERNET_HANDLE_TYPE_HTTP_REQUEST);
    EXPECT_EQ(ReadToEnd(*file).size(), patternSize);
}

TEST_F(InternetSessionTest, ServiceTypeOfHandle) {
    EXPECT_EQ(ServiceTypeOfHandle(nullptr), ServiceUnknown);
    CInternetSession session;
    EXPECT_EQ(ServiceTypeOfHandle(session.GetSessionHandle()), INTERNET_HANDLE_TYPE_INTERNET);
}

TEST_F(InternetSessionTest, ContextsOfFilesAndFailures) {
    CInternetSession session(nullptr, 77);
    const std::string url = nginx->url("/pattern.bin");
    std::unique_ptr<CStdioFile> ofSession(session.OpenRemote(url.c_str(), 1, testFlags));
    std::unique_ptr<CStdioFile> ofCall(session.OpenRemote(url.c_str(), 5, testFlags));
    EXPECT_EQ(dynamic_cast<CInternetFile&>(*ofSession).GetContext(), 77u);
    EXPECT_EQ(dynamic_cast<CInternetFile&>(*ofCall).GetContext(), 5u);

    for (const char* scheme : {"http", "https", "ftp"}) {
        const std::string refused = RefusedUrl(scheme);
        Caught e(Raised([&] { delete session.OpenRemote(refused.c_str(), 5, testFlags); }));
        ASSERT_NE(e, nullptr) << refused;
        EXPECT_EQ(e->m_dwContext, 77u) << "a failed open carries the session's context";
        EXPECT_EQ(e->m_dwError, ERROR_INTERNET_CANNOT_CONNECT) << refused;
        EXPECT_FALSE(e->ErrorText().empty());
    }
}

TEST_F(InternetSessionTest, ClosedFileRaisesAndClosesOnce) {
    CInternetSession session(nullptr, 3);
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    char block[1024];
    EXPECT_GT(file->Read(block, sizeof(block)), 0u);

    Caught write(Raised([&] { file->Write("x", 1); }));
    ASSERT_NE(write, nullptr) << "a file opened for reading cannot be written";
    EXPECT_EQ(write->m_dwError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(write->m_dwContext, 3u);

    file->Close();
    file->Close();
    Caught read(Raised([&] { file->Read(block, sizeof(block)); }));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_dwError, ERROR_INVALID_HANDLE);
    EXPECT_EQ(read->m_dwContext, 3u);
    session.Close();
    session.Close();
}

TEST_F(InternetSessionTest, RegistryFollowsSessionsAndFiles) {
    auto session = std::make_unique<CInternetSession>();
    const HINTERNET sessionHandle = session->GetSessionHandle();
    EXPECT_EQ(SessionRegistry::Find(sessionHandle), session.get());

    std::unique_ptr<CStdioFile> closed(
        session->OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    const HINTERNET closedHandle = dynamic_cast<CInternetFile&>(*closed).GetInternetHandle();
    std::unique_ptr<CStdioFile> destroyed(
        session->OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    const HINTERNET destroyedHandle = dynamic_cast<CInternetFile&>(*destroyed).GetInternetHandle();
    EXPECT_EQ(SessionRegistry::Find(closedHandle), session.get());
    EXPECT_EQ(SessionRegistry::Find(destroyedHandle), session.get());

    closed->Close();
    EXPECT_EQ(SessionRegistry::Find(closedHandle), nullptr);
    destroyed.reset();  // destroying an open file closes it
    EXPECT_EQ(SessionRegistry::Find(destroyedHandle), nullptr);
    session.reset();
    EXPECT_EQ(SessionRegistry::Find(sessionHandle), nullptr);
}

TEST_F(InternetSessionTest, FileUrlsOpenLocally) {
    TempDir dir;
    const std::string text = "first\r\nsecond\r\n";
    testsupport::writeFile(dir.file("lines.txt"), text);
    testsupport::writeFile(dir.file("with blank.txt"), text);
    CInternetSession session;

    std::unique_ptr<CStdioFile> binary(
        session.OpenRemote(("file://" + dir.file("lines.txt")).c_str(), 1, testFlags));
    ASSERT_NE(binary, nullptr);
    EXPECT_STREQ(binary->GetRuntimeClassName(), "CStdioFile");
    EXPECT_FALSE(binary->IsTextMode());
    EXPECT_EQ(ReadToEnd(*binary), text);

    std::unique_ptr<CStdioFile> asText(session.OpenRemote(
        ("file://" + dir.file("lines.txt")).c_str(), 1, INTERNET_FLAG_TRANSFER_ASCII));
    EXPECT_TRUE(asText->IsTextMode());
    EXPECT_EQ(ReadToEnd(*asText), "first\nsecond\n");

    std::unique_ptr<CStdioFile> blank(
        session.OpenRemote(("file://" + dir.file("with blank.txt")).c_str(), 1, testFlags));
    EXPECT_EQ(ReadToEnd(*blank), text);

    for (const std::string& url :
         {"file://" + dir.file("missing.bin"), "file://" + dir.file("lines.txt%00.bin")}) {
        try {
            delete session.OpenRemote(url.c_str(), 1, testFlags);
            ADD_FAILURE() << "opened " << url;
        } catch (CFileException* e) {
            e->Delete();
        }
    }
}

TEST_F(InternetSessionTest, FtpFileReadsToTheEnd) {
    TempDir ftpRoot;
    testsupport::writePatternFile(ftpRoot.file("f.bin"), 50000);
    FtpServer ftp(ftpRoot.path());
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(session.OpenRemote(ftp.url("/f.bin").c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->GetRuntimeClassName(), "CInternetFile");
    auto& remote = dynamic_cast<CInternetFile&>(*file);
    EXPECT_EQ(remote.GetFilePath(), "/f.bin");
    EXPECT_EQ(remote.GetServerName(), "127.0.0.1");
    const std::string data = ReadToEnd(*file);
    EXPECT_EQ(data.size(), 50000u);
    EXPECT_TRUE(testsupport::matchesPattern(data.data(), data.size()));
}

TEST_F(InternetSessionTest, GopherFileReadsToTheEnd) {
    TempDir gopherRoot;
    testsupport::writePatternFile(gopherRoot.file("g.bin"), 50000);
    testsupport::GopherServer gopher(gopherRoot.path());
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(gopher.url("/g.bin").c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->GetRuntimeClassName(), "CGopherFile");
    EXPECT_NE(dynamic_cast<CGopherFile*>(file.get()), nullptr);
    EXPECT_EQ(ReadToEnd(*file), testsupport::patternBytes(50000));
}

TEST_F(InternetSessionTest, ExtendedErrorTextIsTheServersResponse) {
    TempDir ftpRoot;
    FtpServer ftp(ftpRoot.path());
    CInternetSession session(nullptr, 12);
    Caught e(
        Raised([&] { delete session.OpenRemote(ftp.url("/missing.bin").c_str(), 1, testFlags); }));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_dwError, ERROR_INTERNET_EXTENDED_ERROR);
    EXPECT_EQ(e->m_dwContext, 12u);
    const std::string text = e->ErrorText();
    EXPECT_NE(text.find("550"), std::string::npos) << text;
}

TEST_F(InternetSessionTest, LinesAndBlocksFromOneResponse) {
    TempDir dir;
    const std::string exact(127, 'e');
    testsupport::writeFile(dir.file("lines.txt"),
                           "one\r\ntwo\n\r\n" + std::string(300, 'l') + "\nrest of it" + exact);
    NginxServer server(dir.path());
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(server.url("/lines.txt").c_str(), 1, testFlags));
    ASSERT_NE(file, nullptr);
    std::string line;
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "one");
    char piece[8];
    ASSERT_NE(file->ReadString(piece, sizeof(piece)), nullptr);
    EXPECT_STREQ(piece, "two\n");
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "");
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, std::string(300, 'l'));

    // Line reading made a read buffer: plain reads are served from it first, and seeking
    // is refused.
    Caught seek(Raised([&] { file->Seek(0, CFile::begin); }));
    ASSERT_NE(seek, nullptr);
    EXPECT_EQ(seek->m_dwError, ERROR_INVALID_HANDLE);
    char block[8];
    ASSERT_EQ(file->Read(block, 8), 8u);
    EXPECT_EQ(std::string(block, 8), "rest of ");
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "it" + exact);
    EXPECT_FALSE(file->ReadString(line));
    EXPECT_EQ(file->ReadString(piece, sizeof(piece)), nullptr);
}

TEST_F(InternetSessionTest, BlocksAfterLineReadingKeepTheDataInOrder) {
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    char piece[4];
    ASSERT_NE(file->ReadString(piece, sizeof(piece)), nullptr);  // bytes 0, 1 and 2
    EXPECT_EQ(std::string(piece, 4), std::string("\0\1\2\0", 4));
    std::string data;
    std::vector<char> block(5000);
    const UINT sizes[] = {100, 5000, 4096, 1, 4095, 2000, 4097};
    for (std::size_t i = 0;; ++i) {
        const UINT n = file->Read(block.data(), sizes[i % std::size(sizes)]);
        if (n == 0) {
            break;
        }
        data.append(block.data(), n);
    }
    EXPECT_EQ(data.size(), patternSize - 3);
    EXPECT_TRUE(testsupport::matchesPattern(data.data(), data.size(), 3));
}

TEST_F(InternetSessionTest, LastLineOfExactlyAPieceIsNotLost) {
    TempDir dir;
    const std::string last(127 * 2, 'x');
    testsupport::writeFile(dir.file("exact.txt"), "a\n" + last);
    NginxServer server(dir.path());
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(server.url("/exact.txt").c_str(), 1, testFlags));
    std::string line;
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(file->ReadString(line));
    EXPECT_EQ(line, last);
    EXPECT_FALSE(file->ReadString(line));
}

TEST_F(InternetSessionTest, SeekRefusesAnUnknownOrigin) {
    CInternetSession session;
    std::unique_ptr<CStdioFile> file(
        session.OpenRemote(nginx->url("/pattern.bin").c_str(), 1, testFlags));
    Caught e(Raised([&] { file->Seek(0, 3); }));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_dwError, ERROR_INVALID_PARAMETER);
    Caught far(Raised([&] { file->Seek(std::int64_t{1} << 40, CFile::begin); }));
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(far->m_dwError, ERROR_INVALID_PARAMETER);
}

}  // namespace

namespace {

struct Notification {
    HINTERNET handle = nullptr;
    DWORD_PTR context = 0;
    DWORD status = 0;
    void* information = nullptr;
    DWORD length = 0;
};
thread_local Notification lastNotification;

void RecordNotification(HINTERNET handle, DWORD_PTR context, DWORD status, void* information,
                        DWORD length) {
    lastNotification = {handle, context, status, information, length};
}

// The callback the platform holds for handle now (put back as it was).
INTERNET_STATUS_CALLBACK InstalledCallback(HINTERNET handle) {
    const INTERNET_STATUS_CALLBACK installed = InternetSetStatusCallback(handle, nullptr);
    InternetSetStatusCallback(handle, installed);
    return installed;
}

class RecordingSession : public CInternetSession {
public:
    void OnStatusCallback(DWORD_PTR context, DWORD status, void* information,
                          DWORD length) override {
        statuses.push_back(status);
        CInternetSession::OnStatusCallback(context, status, information, length);
    }
    std::vector<DWORD> statuses;
};

TEST(InternetSessionStatus, NotificationsReachTheSessionThenThePreviousCallback) {
    RecordingSession session;
    const HINTERNET handle = session.GetSessionHandle();
    InternetSetStatusCallback(handle, RecordNotification);
    session.EnableStatusCallback();
    const INTERNET_STATUS_CALLBACK route = InstalledCallback(handle);
    ASSERT_NE(route, nullptr);
    ASSERT_NE(route, RecordNotification);

    lastNotification = {};
    int information = 0;
    route(handle, 44, 70, &information, sizeof(information));
    EXPECT_EQ(session.statuses, std::vector<DWORD>{70});
    EXPECT_EQ(lastNotification.handle, handle);
    EXPECT_EQ(lastNotification.context, 44u);
    EXPECT_EQ(lastNotification.status, 70u);
    EXPECT_EQ(lastNotification.information, &information);
    EXPECT_EQ(lastNotification.length, sizeof(information));

    // A handle no session owns is not routed anywhere.
    int stranger = 0;
    route(&stranger, 44, 71, nullptr, 0);
    EXPECT_EQ(session.statuses.size(), 1u);

    session.EnableStatusCallback(false);
    EXPECT_EQ(InstalledCallback(handle), nullptr);
}

TEST(InternetSessionStatus, EnablingOnAClosedSessionRaisesWithItsContext) {
    CInternetSession session(nullptr, 8);
    session.EnableStatusCallback();
    session.Close();  // turns them off first
    Caught e(Raised([&] { session.EnableStatusCallback(); }));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->m_dwContext, 8u);
}

}  // namespace
