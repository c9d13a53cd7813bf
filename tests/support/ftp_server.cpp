#include "tests/support/ftp_server.h"

#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {

FtpServer::FtpServer(const std::string& rootDir, const FtpServerOptions& options)
    : address_(options.address) {
    const std::string ready = work_.file("ready");
    std::vector<std::string> argv{"/usr/bin/python3", CORVANITE_TEST_SUPPORT_DIR "/ftp_server.py",
                                  "--root",           std::filesystem::absolute(rootDir).string(),
                                  "--address",        options.address,
                                  "--port",           std::to_string(options.port),
                                  "--ready-file",     ready};
    if (!options.anonymous) {
        argv.push_back("--no-anonymous");
    }
    if (options.connectionsPerAddress != 0) {
        argv.insert(argv.end(),
                    {"--connections-per-address", std::to_string(options.connectionsPerAddress)});
    }
    if (options.refuseSize != 0) {
        argv.insert(argv.end(), {"--refuse-size", std::to_string(options.refuseSize)});
    }
    if (!options.user.empty()) {
        argv.insert(argv.end(), {"--user", options.user, "--password", options.password});
    }
    process_ = std::make_unique<ChildProcess>(argv, work_.file("output.log"));
    if (!waitUntil([&] { return !process_->running() || readReadyPort(ready).has_value(); },
                   std::chrono::seconds(15)) ||
        !process_->running()) {
        throw std::runtime_error("the FTP server did not start: " + log());
    }
    port_ = *readReadyPort(ready);
}

FtpServer::~FtpServer() = default;

std::string FtpServer::url(const std::string& path) const {
    const std::string host =
        address_.find(':') == std::string::npos ? address_ : "[" + address_ + "]";
    return "ftp://" + host + ":" + std::to_string(port_) + path;
}

std::string FtpServer::log() const {
    try {
        return readFile(work_.file("output.log"));
    } catch (const std::exception&) {
        return "";
    }
}

}  // namespace testsupport
