#include "tests/faults/https_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

using namespace testsupport;

namespace {

bool Accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

std::string Config(const std::string& work, const std::string& root, int port) {
    std::string config =
        "daemon off;\nmaster_process off;\npid " + work + "/nginx.pid;\nerror_log " + work +
        "/error.log info;\nevents { worker_connections 64; }\nhttp {\n    access_log " + work +
        "/access.log;\n    default_type application/octet-stream;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        config += std::string("    ") + kind + "_temp_path " + work + "/" + kind + ";\n";
    }
    config += "    server {\n        listen 127.0.0.1:" + std::to_string(port) +
              " ssl;\n        ssl_certificate " + work +
              "/cert.pem;\n        ssl_certificate_key " + work + "/key.pem;\n        root " +
              root + ";\n    }\n}\n";
    return config;
}

}  // namespace

HttpsServer::HttpsServer(const std::string& rootDir) {
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout " +
        work_.file("key.pem") + " -out " + work_.file("cert.pem") + " >" +
        work_.file("openssl.log") + " 2>&1";
    if (std::system(make.c_str()) != 0) {
        throw std::runtime_error("openssl could not make a certificate: " +
                                 readFile(work_.file("openssl.log")));
    }
    const std::string root = std::filesystem::absolute(rootDir).string();
    for (int attempt = 0; attempt < 5; ++attempt) {
        process_.reset();
        port_ = freeTcpPort();
        writeFile(work_.file("nginx.conf"), Config(work_.path(), root, port_));
        process_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/sbin/nginx", "-p", work_.path() + "/", "-c",
                                     work_.file("nginx.conf"), "-e", work_.file("error.log")},
            work_.file("output.log"));
        if (waitUntil([&] { return !process_->running() || Accepts(port_); },
                      std::chrono::seconds(15)) &&
            process_->running()) {
            return;
        }
    }
    throw std::runtime_error("nginx with TLS did not start; see " + work_.file("error.log"));
}

HttpsServer::~HttpsServer() = default;

std::string HttpsServer::url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
}

std::string HttpsServer::accessLog() const {
    std::ifstream in(work_.file("access.log"));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
