#pragma once

// Debian's nginx (/usr/sbin/nginx) serving a directory on 127.0.0.1 at a free port, in the
// foreground as a single process, with its configuration, pid file, logs and temporary
// folders in a directory of its own. Works as root and as any other user. The constructor
// returns once the server answers; the destructor stops it.
//
//   TempDir root;
//   writePatternFile(root.file("f.bin"), 5000);
//   NginxServer nginx(root.path());
//   std::string url = nginx.url("/f.bin");   // "http://127.0.0.1:<port>/f.bin"
//
// With {.tls = true} it also serves HTTPS on a second port, with a self-signed certificate
// for 127.0.0.1 made by the openssl tool (no client trusts it, unless a test hands it to the
// client as an authority, e.g. through SSL_CERT_FILE):
//   NginxServer tls(root.path(), {.tls = true});
//   tls.httpsUrl("/f.bin");                  // "https://127.0.0.1:<tlsPort>/f.bin"
//   tls.certificateFile();                   // the certificate, PEM
// On either port, /plain/<path> redirects (302) to <path> over plain HTTP.
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

struct NginxOptions {
    bool tls = false;
    // Where HTTPS listens, and the address its certificate names (e.g. one added with
    // addNamespaceAddress); plain HTTP stays on 127.0.0.1.
    std::string tlsAddress = "127.0.0.1";
};

class NginxServer {
public:
    explicit NginxServer(const std::string& rootDir, const NginxOptions& options = {});
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    int port() const { return port_; }
    // path begins with "/".
    std::string url(const std::string& path) const;
    int tlsPort() const { return tlsPort_; }
    std::string httpsUrl(const std::string& path) const;
    // The TLS certificate (PEM); only with {.tls = true}.
    std::string certificateFile() const { return work_.file("cert.pem"); }

private:
    bool start(const std::string& rootDir, bool tls);
    void makeCertificate();

    std::string tlsAddress_;
    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
    int tlsPort_ = 0;
};

}  // namespace testsupport
