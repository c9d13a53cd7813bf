#include "tests/app/program/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/wait_until.h"

namespace fs = std::filesystem;

Program::Program(const std::string& executable, const std::string& runtime,
                 const std::vector<std::string>& arguments, const ProgramEnvironment& environment,
                 const std::string& errorLog) {
    pid_ = fork();
    if (pid_ != 0)
        return;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    for (const auto& [name, value] : environment.set)
        setenv(name.c_str(), value.c_str(), 1);
    for (const std::string& name : environment.unset)
        unsetenv(name.c_str());
    if (!errorLog.empty()) {
        const int log = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, 2);
    }
    std::vector<char*> argv{const_cast<char*>(executable.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(executable.c_str(), argv.data());
    _exit(127);
}

Program::~Program() {
    if (pid_ <= 0 || status_)
        return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

bool Program::running() {
    if (pid_ <= 0 || status_)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_)
        status_ = status;
    return !status_;
}

std::optional<int> Program::waitForExit(std::chrono::milliseconds timeout) {
    testsupport::waitUntil([this] { return !running(); }, timeout);
    return status_;
}

namespace {

// Whether process holds an flock on file, as the kernel's list of locks says.
bool HoldsLock(pid_t process, const std::string& file) {
    struct stat status;
    if (stat(file.c_str(), &status) != 0)
        return false;
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, device;
        pid_t holder = 0;
        fields >> number >> kind >> mode >> access >> holder >> device;
        if (kind != "FLOCK" || holder != process)
            continue;
        const std::string inode = device.substr(device.rfind(':') + 1);
        if (inode == std::to_string(status.st_ino))
            return true;
    }
    return false;
}

}  // namespace

bool WaitForGuard(Program& program, const std::string& file) {
    bool held = false;
    testsupport::waitUntil(
        [&] {
            held = HoldsLock(program.pid(), file);
            return held || !program.running();
        },
        std::chrono::seconds(60));
    return held;
}

void ProgramTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "program-XXXXXX").string();
    directory_ = mkdtemp(pattern.data());
    runtime_ = directory_ + "/runtime";
    fs::create_directory(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
}

void ProgramTest::TearDown() {
    fs::remove_all(directory_);
}

std::string ProgramTest::copyAs(const std::string& fileName) {
    const fs::path folder = fs::path(directory_) / ".local" / "bin";
    fs::create_directories(folder);
    const fs::path copy = folder / fileName;
    if (!fs::exists(copy))
        fs::copy_file(CORVANITE_EXECUTABLE, copy);
    return copy.string();
}
