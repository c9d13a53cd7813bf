#include "cli/stop_signals.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include <pthread.h>
#include <unistd.h>

#include "bandwidth/request.h"

// A signal handler may only touch lock-free atomics.
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

namespace {

std::atomic<bool> noisyStop{false};
std::atomic<bool> stopAsked{false};

void Say(const char* text) {
    if (noisyStop.load()) {
        // Nothing useful can be done when standard error is gone.
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    }
}

void OnStopSignal(int signal) {
    if (stopAsked.exchange(true)) {
        Say("\n");
        ::_exit(128 + signal);
    }
    CancelRequest.store(signal == SIGINT ? StopCancel : StopExit);
    Say(signal == SIGINT ? "\nCancelling the test... (Ctrl-C again quits at once)\n"
                         : "\nStopping the test...\n");
}

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

void InstallStopSignalHandlers(bool noisy) {
    noisyStop.store(noisy);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

StopSignalsBlocked::StopSignalsBlocked() {
    const sigset_t set = StopSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, &saved_);
}

StopSignalsBlocked::~StopSignalsBlocked() {
    ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr);
}
