#pragma once

// A large file served by a local nginx, read once into the page cache so that every run
// measures the client and not the server's disk.
#include <cstdint>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace testsupport {
class NginxServer;
}

class ServedFile {
public:
    explicit ServedFile(std::uint64_t mib);
    ~ServedFile();
    ServedFile(const ServedFile&) = delete;
    ServedFile& operator=(const ServedFile&) = delete;

    const std::string& url() const { return url_; }

private:
    testsupport::TempDir root_;
    std::unique_ptr<testsupport::NginxServer> nginx_;
    std::string url_;
};
