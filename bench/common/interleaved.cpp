#include "bench/common/interleaved.h"

void RunInterleaved(int rounds, const std::function<void()>& ours,
                    const std::function<void()>& reference,
                    const std::function<void(int round)>& afterRound,
                    const std::function<void()>& beforeEachRun) {
    const auto run = [&](const std::function<void()>& contender) {
        if (beforeEachRun) {
            beforeEachRun();
        }
        contender();
    };
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            run(ours);
            run(reference);
        } else {
            run(reference);
            run(ours);
        }
        if (afterRound) {
            afterRound(i + 1);
        }
    }
}
