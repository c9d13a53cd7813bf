#pragma once

// Runs two contenders in turns, so that a machine's changing load falls on both alike.
#include <functional>

// `rounds` rounds of one run each; which goes first alternates, so that neither always meets
// a warmer cache. beforeEachRun, when given, is called before every run of either side (to
// bring the machine back to the same state: ResetWrittenFiles); afterRound gets the round's
// number, from 1.
void RunInterleaved(int rounds, const std::function<void()>& ours,
                    const std::function<void()>& reference,
                    const std::function<void(int round)>& afterRound = {},
                    const std::function<void()>& beforeEachRun = {});
