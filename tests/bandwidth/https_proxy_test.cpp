// https through an HTTP proxy that tunnels with CONNECT. The server listens in a private
// network namespace on an address that is no loopback address, so that the proxy is used.
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/network_namespace.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/tinyproxy_server.h"

using namespace testsupport;

namespace {

constexpr const char* kServerAddress = "10.200.0.1";

TEST(HttpsThroughProxy, TheServersOwnStatusAndLengthCount) {
    std::string why;
    if (!enterPrivateNetworkNamespace(&why) || !addNamespaceAddress(kServerAddress, &why)) {
        GTEST_SKIP() << "no private network namespace with an address of its own: " << why;
    }
    TempDir served;
    TempDir program;
    writePatternFile(served.file("tls.bin"), 50000);
    NginxServer nginx(served.path(), {.tls = true, .tlsAddress = kServerAddress});
    TinyproxyServer proxy;
    ScopedEnvironment environment;
    environment.set("SSL_CERT_FILE", nginx.certificateFile());
    environment.set("https_proxy", proxy.url());
    environment.unset("HTTPS_PROXY");
    environment.unset("no_proxy");
    environment.unset("NO_PROXY");

    // The proxy's "200 Connection established" carries no length; a 404 behind it is no file.
    const struct {
        const char* path;
        unsigned outcome;
        const char* cause;
    } cases[] = {
        {"/tls.bin", OutcomeFinished, ""},
        {"/missing.bin", OutcomeOpenUrlException, "404"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const EndedRun run = RunWorkerForEnding(nginx.httpsUrl(c.path), program.path(), true);

        EXPECT_EQ(run.returned, c.outcome);
        ASSERT_TRUE(run.ending.has_value());
        EXPECT_NE(run.ending->cause.find(c.cause), std::string::npos) << run.ending->cause;
    }
    EXPECT_EQ(readFile(program.file("tls.bin")), patternBytes(50000));
    EXPECT_NE(proxy.log().find(kServerAddress), std::string::npos) << proxy.log();
}

}  // namespace
