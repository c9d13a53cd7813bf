#pragma once

// A gopher server on 127.0.0.1 at a free port serving the files of a directory: the selector
// is a file's path under the root; the answer is the file's bytes, ended by the connection's
// close. The constructor returns once the server listens; the destructor stops it.
//
//   TempDir root;
//   writePatternFile(root.file("f.bin"), 5000);
//   GopherServer gopher(root.path());
//   gopher.url("/f.bin");    // "gopher://127.0.0.1:<port>/9/f.bin": item type 9, a binary file
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace testsupport {

class ChildProcess;

class GopherServer {
public:
    explicit GopherServer(const std::string& rootDir);
    ~GopherServer();
    GopherServer(const GopherServer&) = delete;
    GopherServer& operator=(const GopherServer&) = delete;

    int port() const { return port_; }
    // path begins with "/"; the URL names a binary file (item type 9) of that selector.
    std::string url(const std::string& path) const;
    // The selectors asked for, in order.
    std::vector<std::string> selectors() const;

private:
    TempDir work_;
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
};

}  // namespace testsupport
