#pragma once

// An X server of the tests' own: Debian's Xvfb on the first free display number, one
// 1280 x 1024 screen at 96 dpi, no TCP listener. The constructor returns once the server
// accepts clients, or without one (available() false, why() says so) when Xvfb is missing
// or does not start; the destructor stops it.
//
//   VirtualDisplay x;
//   if (!x.available()) GTEST_SKIP() << x.why();
//   setenv("DISPLAY", x.name().c_str(), 1);   // in the child that is to use it
#include <string>

#include <sys/types.h>

namespace testsupport {

class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool available() const { return !name_.empty(); }
    // ":<number>", for DISPLAY.
    const std::string& name() const { return name_; }
    const std::string& why() const { return why_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    std::string why_;
};

}  // namespace testsupport
