#pragma once

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it on destruction.
//
//   TempDir dir;
//   writePatternFile(dir.file("a.bin"), 1000);   // dir.path() + "/a.bin"
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The path of a file or folder inside the directory (not created).
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace testsupport
