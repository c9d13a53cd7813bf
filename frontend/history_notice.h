#pragma once

// A history that cannot be written is told to the user once, not after every test: a front
// end keeps one of these for as long as it runs and shows what take() gives.
#include <optional>
#include <string>

struct TestEnding;

class HistoryNotice {
public:
    // The problem of a test that was not recorded, the first time one comes; none after that
    // and for a recorded test.
    std::optional<std::string> take(const TestEnding& ending);

private:
    bool told_ = false;
};
