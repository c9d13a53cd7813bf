#pragma once

// The machine's time zone for the life of the object, put back as it was when it goes.
//
//   ScopedTimeZone zone("UTC0");
#include <ctime>
#include <optional>

#include "tests/support/scoped_environment.h"

namespace testsupport {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        environment_.emplace().set("TZ", zone);
        ::tzset();
    }
    ~ScopedTimeZone() {
        environment_.reset();  // TZ back as it was before tzset reads it
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<ScopedEnvironment> environment_;
};

}  // namespace testsupport
