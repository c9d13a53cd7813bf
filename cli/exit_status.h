#pragma once

// The exit status of corvanite-cli: the test's outcome where it has one that fits, else a
// code of the program's own, away from the outcomes (0, 1, 2, 100 to 108).
constexpr int ExitUsage = 64;         // the command line cannot be used
constexpr int ExitNoUrl = 65;         // no URL to test: an empty one, or an empty list file
constexpr int ExitInternal = 70;      // the test could not be run, or ended without a known outcome
constexpr int ExitInterrupted = 130;  // a second Ctrl-C ended the program at once

// 0 finished, 1 exit requested, 2 cancelled, 100 to 108 the failures; any other outcome
// (the worker has none) gives ExitInternal.
int ExitStatusOfOutcome(unsigned outcome);
