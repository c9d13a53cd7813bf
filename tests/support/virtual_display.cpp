#include "tests/support/virtual_display.h"

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

// Reads what Xvfb writes to its -displayfd: the display number and a line end, once it
// accepts clients. Empty when the pipe closes or the deadline passes first.
std::string ReadDisplayNumber(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string number;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return {};
        }
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(left.count())) <= 0) {
            return {};
        }
        char c = 0;
        if (::read(fd, &c, 1) != 1) {
            return {};
        }
        if (c == '\n') {
            return number;
        }
        number += c;
    }
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        why_ = "no pipe for Xvfb's display number";
        return;
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls until exec.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        // The write end as descriptor 3, kept open across exec.
        if (pipeEnds[1] == 3) {
            ::fcntl(3, F_SETFD, 0);
        } else {
            ::dup2(pipeEnds[1], 3);
        }
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        const char* argv[] = {"Xvfb",      "-displayfd",   "3",        "-screen",
                              "0",         "1280x1024x24", "-dpi",     "96",
                              "-nolisten", "tcp",          "-noreset", nullptr};
        ::execvp(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (pid_ < 0) {
        ::close(pipeEnds[0]);
        why_ = "cannot start Xvfb";
        return;
    }
    const std::string number = ReadDisplayNumber(pipeEnds[0], std::chrono::seconds(30));
    ::close(pipeEnds[0]);
    if (number.empty()) {
        why_ = "no X server: Xvfb (Debian package xvfb) is missing or did not start";
        return;
    }
    name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace testsupport
