#pragma once

// Signals that stop a running test the way the dialog's buttons do: Ctrl-C (SIGINT) as
// Cancel (CancelRequest 2); SIGTERM and SIGHUP as leaving the program (CancelRequest 1). The
// handlers only store into CancelRequest, which the worker polls; a second signal while the
// worker has not yet stopped ends the program at once, with 128 plus the signal's number.

#include <csignal>

// noisy: whether the first signal prints a line saying so on standard error.
void InstallStopSignalHandlers(bool noisy);

// Keeps the stop signals from the calling thread while it lives, so that a thread started
// meanwhile (the worker) inherits a mask that leaves every signal to the main thread.
class StopSignalsBlocked {
public:
    StopSignalsBlocked();
    ~StopSignalsBlocked();
    StopSignalsBlocked(const StopSignalsBlocked&) = delete;
    StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
    sigset_t saved_;  // the caller's signal mask
};
