#include "tests/cli/cli_process.h"

#include <csignal>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"

namespace clitest {

std::string BuiltProgram() {
    return CORVANITE_CLI_PROGRAM;
}

CliFolder::CliFolder(const std::string& program) {
    std::filesystem::copy_file(program, this->program());
}

namespace {

// The test's environment with launch's changes, as execve takes it.
std::vector<std::string> EnvironmentFor(const CliLaunch& launch) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        result.emplace_back(*entry);
    }
    for (const std::string& change : launch.environment) {
        const std::string name = change.substr(0, change.find('='));
        std::erase_if(result, [&name](const std::string& entry) {
            return entry.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (change.find('=') != std::string::npos) {
            result.push_back(change);
        }
    }
    return result;
}

}  // namespace

CliProcess::CliProcess(const std::string& program, const std::vector<std::string>& arguments,
                       const CliLaunch& launch) {
    const std::string& terminal = launch.terminal;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (std::string& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    std::vector<std::string> environment = EnvironmentFor(launch);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    // Opened here, so that the files are there from the start for err() and out().
    const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out =
        ::open(output_.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = terminal.empty() ? ::open(output_.file("err").c_str(),
                                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                                     : ::open(terminal.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (!terminal.empty()) {
        testsupport::writeFile(output_.file("err"), "");  // err() then reads nothing
    }
    if (in < 0 || out < 0 || err < 0) {
        throw std::runtime_error("cannot open the output files of " + program);
    }
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls until exec.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        // The test runner may have left the stop signals ignored or blocked.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
        if (launch.user && (::setgroups(0, nullptr) != 0 || ::setgid(launch.group) != 0 ||
                            ::setuid(*launch.user) != 0)) {
            ::_exit(126);
        }
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(in);
    ::close(out);
    ::close(err);
    if (pid_ < 0) {
        throw std::runtime_error("cannot start " + program);
    }
}

CliProcess::~CliProcess() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

void CliProcess::signal(int number) const {
    ::kill(pid_, number);
}

std::string CliProcess::err() const {
    return testsupport::readFile(output_.file("err"));
}

std::string CliProcess::out() const {
    return testsupport::readFile(output_.file("out"));
}

CliExit CliProcess::wait(std::chrono::milliseconds timeout) {
    CliExit result;
    int status = 0;
    if (!reaped_) {
        reaped_ = testsupport::waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; },
                                         timeout);
    }
    if (!reaped_) {
        return result;
    }
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : -1;
    result.out = out();
    result.err = err();
    return result;
}

CliExit RunCli(const std::string& program, const std::vector<std::string>& arguments,
               const CliLaunch& launch) {
    CliProcess process(program, arguments, launch);
    return process.wait();
}

std::vector<std::string> OutputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace clitest
