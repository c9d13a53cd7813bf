#include "bandwidth/ending.h"

#include <utility>

void TestEndingSlot::put(TestEnding ending) {
    std::lock_guard guard(lock_);
    ending_ = std::move(ending);
}

std::optional<TestEnding> TestEndingSlot::get() const {
    std::lock_guard guard(lock_);
    return ending_;
}
