#include "tests/support/shaped_path.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {
namespace {

constexpr const char* kIp = "/bin/ip";
// Documentation networks: no address of this range is anyone's, inside the test's namespaces
// or out.
constexpr const char* kClientAddress = "192.0.2.1/24";
constexpr const char* kRouterClientSide = "192.0.2.2/24";
constexpr const char* kRouterServerSide = "198.51.100.1/24";
constexpr const char* kServerAddress = "198.51.100.2";

}  // namespace

ShapedPath::ShapedPath(const PathShape& shape) {
    if (::geteuid() != 0) {
        why_ = "building network namespaces needs root";
        return;
    }
    static std::atomic<int> made{0};
    const std::string stem = "cv" + std::to_string(::getpid()) + "n" + std::to_string(made++);
    const std::string client = stem + "c";
    const std::string router = stem + "r";
    const std::string server = stem + "s";
    for (const std::string& name : {client, router, server}) {
        if (!run({kIp, "netns", "add", name})) {
            return;
        }
        namespaces_.push_back(name);
        if (!run({kIp, "-n", name, "link", "set", "lo", "up"})) {
            return;
        }
    }
    const bool built =
        run({kIp, "link", "add", "c0", "netns", client, "type", "veth", "peer", "name", "r0",
             "netns", router}) &&
        run({kIp, "link", "add", "r1", "netns", router, "type", "veth", "peer", "name", "s0",
             "netns", server}) &&
        run({kIp, "-n", client, "addr", "add", kClientAddress, "dev", "c0"}) &&
        run({kIp, "-n", router, "addr", "add", kRouterClientSide, "dev", "r0"}) &&
        run({kIp, "-n", router, "addr", "add", kRouterServerSide, "dev", "r1"}) &&
        run({kIp, "-n", server, "addr", "add", std::string(kServerAddress) + "/24", "dev", "s0"}) &&
        run({kIp, "-n", client, "link", "set", "c0", "up"}) &&
        run({kIp, "-n", router, "link", "set", "r0", "up"}) &&
        run({kIp, "-n", router, "link", "set", "r1", "up"}) &&
        run({kIp, "-n", server, "link", "set", "s0", "up"}) &&
        run({kIp, "-n", client, "route", "add", "default", "via", "192.0.2.2"}) &&
        run({kIp, "-n", server, "route", "add", "default", "via", "198.51.100.1"}) &&
        run({kIp, "netns", "exec", router, "sysctl", "-qw", "net.ipv4.ip_forward=1"}) &&
        run({kIp, "netns", "exec", router, "tc", "qdisc", "add", "dev", "r0", "root", "tbf", "rate",
             shape.rate, "burst", "64kb", "limit", shape.queueLimit});
    if (!built && why_.empty()) {
        why_ = "the path could not be built";
    }
}

ShapedPath::~ShapedPath() {
    // Deleting a namespace takes its veth ends, and so the pairs, with it.
    for (const std::string& name : namespaces_) {
        run({kIp, "netns", "del", name});
    }
}

bool ShapedPath::run(const std::vector<std::string>& argv) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int status = -1;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::string command;
        for (const std::string& arg : argv) {
            command += (command.empty() ? "" : " ") + arg;
        }
        if (why_.empty()) {
            why_ = "failed: " + command;
        }
        return false;
    }
    return true;
}

std::vector<std::string> ShapedPath::inClient(const std::vector<std::string>& argv) const {
    std::vector<std::string> arguments{"netns", "exec", namespaces_.at(0)};
    arguments.insert(arguments.end(), argv.begin(), argv.end());
    return arguments;
}

std::vector<std::string> ShapedPath::inServer(const std::vector<std::string>& argv) const {
    std::vector<std::string> arguments{kIp, "netns", "exec", namespaces_.at(2)};
    arguments.insert(arguments.end(), argv.begin(), argv.end());
    return arguments;
}

const char* ShapedPath::serverAddress() {
    return kServerAddress;
}

CubicHttpServer::CubicHttpServer(const ShapedPath& path, const std::string& folder) {
    process_ = std::make_unique<ChildProcess>(
        path.inServer({"/usr/bin/python3", CORVANITE_TEST_SUPPORT_DIR "/cubic_http_server.py",
                       std::filesystem::absolute(folder).string(), ShapedPath::serverAddress(),
                       "8080", work_.file("server.log")}),
        work_.file("output.log"));
    const auto output = [&] {
        try {
            return readFile(work_.file("output.log"));
        } catch (const std::exception&) {
            return std::string();
        }
    };
    if (!waitUntil(
            [&] { return !process_->running() || output().find("ready") != std::string::npos; }) ||
        !process_->running()) {
        throw std::runtime_error("the CUBIC HTTP server did not start: " + output());
    }
}

CubicHttpServer::~CubicHttpServer() = default;

std::string CubicHttpServer::url(const std::string& path) const {
    return std::string("http://") + ShapedPath::serverAddress() + ":8080" + path;
}

std::string CubicHttpServer::log() const {
    try {
        return readFile(work_.file("server.log"));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace testsupport
