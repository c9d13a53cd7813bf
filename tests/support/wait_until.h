#pragma once

// Polls a condition until it holds or a deadline passes; the one way the tests wait.
//
//   ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 2; }));
#include <chrono>
#include <thread>

namespace testsupport {

template <typename Condition>
bool waitUntil(Condition condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // A short pause between polls: the condition is checked again, never assumed.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace testsupport
