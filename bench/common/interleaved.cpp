#include "bench/common/interleaved.h"

void RunInterleaved(int rounds, const std::function<void()>& ours,
                    const std::function<void()>& reference,
                    const std::function<void(int round)>& afterRound) {
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            ours();
            reference();
        } else {
            reference();
            ours();
        }
        if (afterRound) {
            afterRound(i + 1);
        }
    }
}
