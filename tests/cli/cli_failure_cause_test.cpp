// A failed test tells its cause in words on standard error and in the JSON "cause": what
// failed, against which server and port or which proxy, never an error number.
#include <regex>
#include <string>
#include <vector>

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/loopback.h"
#include "tests/support/network_namespace.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

using clitest::CliExit;
using clitest::CliFolder;
using clitest::RunCli;
using namespace testsupport;

TEST(FailureCause, EachKindOfFailureIsToldInWords) {
    // Inside a namespace of its own: the proxy case names an address that is no loopback one,
    // and nothing may leave the machine.
    std::string why;
    if (!enterPrivateNetworkNamespace(&why)) {
        GTEST_SKIP() << "no private network namespace: " << why;
    }
    TempDir served;
    writePatternFile(served.file("f.bin"), 100);
    NginxServer tls(served.path(), {.tls = true});
    ScriptedHttpServer http;
    const std::string closed = std::to_string(freeTcpPort());
    const std::string tlsPort = std::to_string(tls.tlsPort());
    const std::string httpPort = std::to_string(http.port());

    const struct {
        const char* kind;
        std::string url;
        std::vector<std::string> environment;
        std::string cause;
    } cases[] = {
        {"refused port",
         "http://127.0.0.1:" + closed + "/f.bin",
         {},
         "could not connect to 127.0.0.1 port " + closed + ": connection refused"},
        {"404",
         http.url("/status?code=404"),
         {},
         "127.0.0.1 port " + httpPort + " answered with HTTP status 404 Not Found"},
        {"403",
         http.url("/status?code=403"),
         {},
         "127.0.0.1 port " + httpPort + " answered with HTTP status 403 Forbidden"},
        {"untrusted certificate",
         tls.httpsUrl("/f.bin"),
         {"SSL_CERT_FILE"},
         "the certificate of 127.0.0.1 port " + tlsPort +
             " is not signed by an authority this computer trusts"},
        {"unresolvable name",
         "http://no-such-host.invalid/f.bin",
         {},
         "the server name no-such-host.invalid could not be resolved"},
        {"proxy refusing",
         "http://10.200.0.1:8080/f.bin",
         {"http_proxy=http://127.0.0.1:" + closed, "no_proxy", "NO_PROXY"},
         "the proxy 127.0.0.1 port " + closed + " refused the connection"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        CliFolder folder;
        clitest::CliLaunch launch;
        launch.environment = c.environment;
        const CliExit exit = RunCli(folder.program(), {"--json", c.url}, launch);
        ASSERT_TRUE(exit.exited);
        EXPECT_EQ(exit.status, 100) << exit.err;
        const QJsonObject object =
            QJsonDocument::fromJson(QByteArray::fromStdString(exit.out)).object();
        EXPECT_EQ(object["cause"].toString().toStdString(), c.cause);
        EXPECT_NE(exit.err.find("corvanite-cli: " + c.cause + "\n"), std::string::npos) << exit.err;
        EXPECT_FALSE(std::regex_search(exit.err, std::regex("\\b12\\d\\d\\d\\b"))) << exit.err;
    }
}

}  // namespace
