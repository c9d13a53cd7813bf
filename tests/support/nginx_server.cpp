#include "tests/support/nginx_server.h"

#include <chrono>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "tests/support/child_process.h"
#include "tests/support/loopback.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace testsupport {
namespace {

std::string config(const std::string& work, const std::string& rootDir, int port, int tlsPort,
                   const std::string& tlsAddress, const std::string& token) {
    const std::string tls = tlsPort == 0
                                ? ""
                                : "        listen " + tlsAddress + ":" + std::to_string(tlsPort) +
                                      " ssl;\n"
                                      "        ssl_certificate " +
                                      work +
                                      "/cert.pem;\n"
                                      "        ssl_certificate_key " +
                                      work + "/key.pem;\n";
    std::string temp;
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        temp += std::string("    ") + kind + "_temp_path " + work + "/" + kind + ";\n";
    }
    // One process, no user switch: the same configuration runs as root and as anyone else.
    return "daemon off;\n"
           "master_process off;\n"
           "pid " +
           work +
           "/nginx.pid;\n"
           "error_log " +
           work +
           "/error.log warn;\n"
           "events { worker_connections 256; }\n"
           "http {\n"
           "    access_log off;\n"
           "    default_type application/octet-stream;\n"
           "    sendfile on;\n"
           "    tcp_nopush on;\n" +
           temp +
           "    server {\n"
           "        listen 127.0.0.1:" +
           std::to_string(port) + ";\n" + tls + "        root " + rootDir +
           ";\n"
           "        location ~ ^/plain(/.*)$ { return 302 http://127.0.0.1:" +
           std::to_string(port) +
           "$1; }\n"
           "        location = /.ready-" +
           token + " { return 200 \"" + token +
           "\"; }\n"
           "    }\n"
           "}\n";
}

}  // namespace

NginxServer::NginxServer(const std::string& rootDir, const NginxOptions& options)
    : tlsAddress_(options.tlsAddress) {
    const std::string root = std::filesystem::absolute(rootDir).string();
    if (options.tls) {
        makeCertificate();
    }
    // A port taken between the probe and nginx's bind makes nginx exit: try another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (start(root, options.tls)) {
            return;
        }
    }
    throw std::runtime_error("nginx did not start; see " + work_.file("error.log"));
}

NginxServer::~NginxServer() = default;

void NginxServer::makeCertificate() {
    ChildProcess openssl({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                          "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                          "/CN=" + tlsAddress_, "-addext", "subjectAltName=IP:" + tlsAddress_,
                          "-keyout", work_.file("key.pem"), "-out", work_.file("cert.pem")},
                         work_.file("openssl.log"));
    waitUntil([&] { return !openssl.running(); }, std::chrono::seconds(30));
    if (!std::filesystem::exists(work_.file("cert.pem"))) {
        throw std::runtime_error("no certificate; see " + work_.file("openssl.log"));
    }
}

bool NginxServer::start(const std::string& rootDir, bool tls) {
    process_.reset();
    port_ = freeTcpPort();
    tlsPort_ = tls ? freeTcpPort() : 0;
    const std::string token = std::to_string(std::random_device{}());
    writeFile(work_.file("nginx.conf"),
              config(work_.path(), rootDir, port_, tlsPort_, tlsAddress_, token));
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/sbin/nginx", "-p", work_.path() + "/", "-c",
                                 work_.file("nginx.conf"), "-e", work_.file("error.log")},
        work_.file("output.log"));
    // Ours answers with the token; anything else on the port does not.
    const bool ready = waitUntil(
        [&] {
            return !process_->running() ||
                   loopbackHttpGet(port_, "/.ready-" + token).find(token) != std::string::npos;
        },
        std::chrono::seconds(15));
    return ready && process_->running();
}

std::string NginxServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string NginxServer::httpsUrl(const std::string& path) const {
    return "https://" + tlsAddress_ + ":" + std::to_string(tlsPort_) + path;
}

}  // namespace testsupport
