#pragma once

// Environment variables set or removed for one test and put back as they were when the object
// goes, so that no other test in the process sees them.
//
//   ScopedEnvironment env;
//   env.set("http_proxy", "http://127.0.0.1:8080");
//   env.unset("no_proxy");
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

private:
    void remember(const std::string& name);

    // Each name's value before its first change here, none when it was not set.
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace testsupport
