#include "tests/support/gopher_server.h"

#include <chrono>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {

GopherServer::GopherServer(const std::string& rootDir) {
    const std::string ready = work_.file("ready");
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", CORVANITE_TEST_SUPPORT_DIR "/gopher_server.py",
                                 "--root", std::filesystem::absolute(rootDir).string(),
                                 "--ready-file", ready, "--log-file", work_.file("selectors")},
        work_.file("output.log"));
    if (!waitUntil([&] { return !process_->running() || readReadyPort(ready).has_value(); },
                   std::chrono::seconds(15)) ||
        !process_->running()) {
        throw std::runtime_error("the gopher server did not start; see " +
                                 work_.file("output.log"));
    }
    port_ = *readReadyPort(ready);
}

GopherServer::~GopherServer() = default;

std::string GopherServer::url(const std::string& path) const {
    return "gopher://127.0.0.1:" + std::to_string(port_) + "/9" + path;
}

std::vector<std::string> GopherServer::selectors() const {
    std::istringstream log(readFile(work_.file("selectors")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace testsupport
