#include "tests/support/tinyproxy_server.h"

#include <chrono>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {

TinyproxyServer::TinyproxyServer() {
    // A port taken between the probe and tinyproxy's bind makes it exit: try another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (start()) {
            return;
        }
    }
    throw std::runtime_error("tinyproxy did not start; see " + work_.file("output.log"));
}

TinyproxyServer::~TinyproxyServer() = default;

bool TinyproxyServer::start() {
    process_.reset();
    port_ = freeTcpPort();
    // No ConnectPort line: CONNECT reaches every port, as the tests' servers use free ones.
    writeFile(work_.file("tinyproxy.conf"), "Port " + std::to_string(port_) +
                                                "\n"
                                                "Listen 127.0.0.1\n"
                                                "Allow 127.0.0.1\n"
                                                "Timeout 30\n"
                                                "MaxClients 20\n"
                                                "LogLevel Info\n"
                                                "LogFile \"" +
                                                work_.file("tinyproxy.log") +
                                                "\"\n"
                                                "PidFile \"" +
                                                work_.file("tinyproxy.pid") + "\"\n");
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/tinyproxy", "-d", "-c", work_.file("tinyproxy.conf")},
        work_.file("output.log"));
    // Anything but a proxy request gets an error page: an answer says it listens.
    const bool ready =
        waitUntil([&] { return !process_->running() || !loopbackHttpGet(port_, "/").empty(); },
                  std::chrono::seconds(15));
    return ready && process_->running();
}

std::string TinyproxyServer::url() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string TinyproxyServer::log() const {
    return readFile(work_.file("tinyproxy.log"));
}

}  // namespace testsupport
