// What a server or a URL may not make the program do: trust a certificate no one vouches
// for, send request headers of the URL's making, or save under a name the server chose.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "platform/instance_lock.h"
#include "tests/faults/fault_harness.h"
#include "tests/faults/https_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";

TEST(Security, RedirectToAServerWithASelfSignedCertificateFailsWith100) {
    TempDir served;
    writePatternFile(served.file("f.bin"), 5000);
    HttpsServer https(served.path());
    ScriptedHttpServer http;
    TempDir program;

    const FaultRun run =
        RunOneTest(http.url("/redirect?to=" + queryEncode(https.url("/f.bin")) + "&name=.bin"),
                   program.path());

    ExpectOneFinished(run, OutcomeOpenUrlException);
    EXPECT_TRUE(ListDirectory(program.path()).empty());
    // The handshake failed: no request ever reached the TLS server.
    EXPECT_EQ(https.accessLog(), "");
}

TEST(Security, SelfSignedCertificateFailsTheOpenOfAnHttpsUrl) {
    TempDir served;
    writePatternFile(served.file("f.bin"), 5000);
    HttpsServer https(served.path());
    TempDir program;

    // Accepted, the certificate would let the open succeed and the test end with 104.
    const FaultRun run = RunOneTest(https.url("/f.bin"), program.path());

    ExpectOneFinished(run, OutcomeOpenUrlException);
    EXPECT_TRUE(ListDirectory(program.path()).empty());
    EXPECT_EQ(https.accessLog(), "");
}

struct Injection {
    const char* name;
    std::string tail;  // after "/data?size=100&name=.bin"
};

class HeaderInjection : public ::testing::TestWithParam<Injection> {};

TEST_P(HeaderInjection, LineEndsInTheUrlAddNoHeader) {
    ScriptedHttpServer http;
    TempDir program;

    const FaultRun run =
        RunOneTest(http.url("/data?size=100&name=.bin" + GetParam().tail), program.path());

    EXPECT_TRUE(IsKnownOutcome(run.returned)) << run.returned;
    ExpectOneFinished(run, run.returned);
    std::printf("%s: outcome %u, %zu requests reached the server\n", GetParam().name, run.returned,
                http.requests().size());
    for (const RecordedRequest& request : http.requests()) {
        EXPECT_FALSE(request.header("X-Injected").has_value()) << request.raw;
        EXPECT_EQ(request.raw.find("\nX-Injected"), std::string::npos) << request.raw;
    }
}

const Injection kInjections[] = {
    {"CrLfInTheQuery", "&a\r\nX-Injected: yes\r\n\r\n"},
    {"LfInTheQuery", "&a\nX-Injected: yes\n"},
    {"CrLfInThePath", " HTTP/1.1\r\nX-Injected: yes\r\nX: .bin"},
    {"EncodedCrLf", "&a%0D%0AX-Injected:%20yes"},
};
INSTANTIATE_TEST_SUITE_P(Http, HeaderInjection, ::testing::ValuesIn(kInjections),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Security, TheFileIsSavedUnderTheUrlsNameNotTheServersChoice) {
    ScriptedHttpServer http;
    TempDir program;
    const std::string url =
        http.url("/redirect?to=" + queryEncode("/data?size=700&name=/../chosen.bin") + "&x.bin");

    const FaultRun run = RunOneTest(url, program.path());

    ExpectOneFinished(run, OutcomeFinished);
    const std::string name = url.substr(url.rfind('/') + 1);
    const auto listing = ListDirectory(program.path());
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing.at(name), 700);
    EXPECT_EQ(listing.count(kReport), 1u);
}

// The single-instance guard's folder is this user's alone, whatever the environment says.
TEST(Security, TheInstanceLockLivesWhereNoOtherUserCanWrite) {
    testsupport::ScopedEnvironment environment;
    for (const char* runtime : {"/tmp", "relative/dir", ""}) {
        environment.set("XDG_RUNTIME_DIR", runtime);
        const std::string directory = InstanceLockDirectory();
        ASSERT_FALSE(directory.empty()) << runtime;
        EXPECT_NE(directory, "/tmp");
        struct stat status;
        ASSERT_EQ(lstat(directory.c_str(), &status), 0) << directory;
        EXPECT_TRUE(S_ISDIR(status.st_mode)) << directory;
        EXPECT_EQ(status.st_uid, geteuid()) << directory;
        EXPECT_EQ(status.st_mode & (S_IWGRP | S_IWOTH), 0u) << directory;
    }
}

}  // namespace
