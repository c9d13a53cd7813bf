#include "bench/common/served_file.h"

#include "bench/common/fresh_state.h"
#include "tests/support/nginx_server.h"
#include "tests/support/test_files.h"

ServedFile::ServedFile(std::uint64_t mib) {
    const std::string path = root_.file("big.bin");
    testsupport::writePatternFile(path, mib << 20);
    CacheServedFile(path);
    nginx_ = std::make_unique<testsupport::NginxServer>(root_.path());
    url_ = nginx_->url("/big.bin");
}

ServedFile::~ServedFile() = default;
