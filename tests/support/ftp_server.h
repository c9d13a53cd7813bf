#pragma once

// An FTP server (Debian's python3-pyftpdlib, run with /usr/bin/python3) serving a directory.
// By default: 127.0.0.1, a free port, anonymous login allowed, SIZE answered. Port 21 works
// where the test may bind it, e.g. as root inside a private network namespace (see
// network_namespace.h). The constructor returns once the server listens; the destructor
// stops it.
//
//   TempDir root;
//   writePatternFile(root.file("f.bin"), 5000);
//   FtpServer ftp(root.path());                               // anonymous, free port
//   std::string url = ftp.url("/f.bin");                      // "ftp://127.0.0.1:<port>/f.bin"
//   FtpServer closed(root.path(), {.anonymous = false, .user = "joe", .password = "pw"});
//   FtpServer noSize(root.path(), {.refuseSize = 500});       // size unknown to clients
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

struct FtpServerOptions {
    bool anonymous = true;  // false: "530" for an anonymous login
    // 500: SIZE is answered "500 ... not understood"; 550: "550 SIZE not allowed." for every
    // file, as if the file were missing; 0: SIZE is answered.
    int refuseSize = 0;
    std::string user{};  // an account besides anonymous, when not empty
    std::string password{};
    // More control connections from one address are turned away with "421": 0 for no limit.
    int connectionsPerAddress = 0;
    int port = 0;  // 0: a free port
    std::string address = "127.0.0.1";
};

class FtpServer {
public:
    explicit FtpServer(const std::string& rootDir, const FtpServerOptions& options = {});
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    int port() const { return port_; }
    const std::string& address() const { return address_; }
    // path begins with "/".
    std::string url(const std::string& path) const;
    // The server's log: one line per command and transfer (for diagnosis).
    std::string log() const;

private:
    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
    std::string address_;
    int port_ = 0;
};

}  // namespace testsupport
