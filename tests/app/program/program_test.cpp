// The program itself, started as a process of its own on the offscreen platform.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class Program {
public:
    Program(const std::string& executable, const std::string& runtime,
            const std::vector<std::string>& arguments = {}) {
        pid_ = fork();
        if (pid_ != 0)
            return;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv{const_cast<char*>(executable.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(executable.c_str(), argv.data());
        _exit(127);
    }
    ~Program() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
};

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

// Waits, up to a deadline, until the program holds its guard (or has ended).
bool WaitForGuard(const Program& program, const std::string& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (HoldsLock(program.pid(), file))
            return true;
        if (!program.running())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "program-XXXXXX").string();
        directory_ = mkdtemp(pattern.data());
        runtime_ = directory_ + "/runtime";
        fs::create_directory(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override { fs::remove_all(directory_); }

    // A copy of the program under another file name, in a folder with a dot in its name.
    std::string copyAs(const std::string& fileName) {
        const fs::path folder = fs::path(directory_) / ".local" / "bin";
        fs::create_directories(folder);
        const fs::path copy = folder / fileName;
        fs::copy_file(CORVANITE_EXECUTABLE, copy);
        return copy.string();
    }

    std::string directory_;
    std::string runtime_;
};

TEST_F(ProgramTest, TakesTheGuardNamedAfterItsFileAndACopyUnderAnotherNameRunsBeside) {
    Program first(copyAs("Corvanite"), runtime_);
    ASSERT_TRUE(WaitForGuard(first, runtime_ + "/Corvanite.lock"));
    Program copy(copyAs("Corvanite2.EXE"), runtime_);
    ASSERT_TRUE(WaitForGuard(copy, runtime_ + "/Corvanite2.lock"));
    EXPECT_TRUE(first.running());
}

TEST_F(ProgramTest, IgnoresItsCommandLine) {
    // Were the toolkit's own options taken, this one would ask for a display that is not there.
    Program program(copyAs("Corvanite"), runtime_, {"-platform", "xcb", "--help", "http://x/y.z"});
    ASSERT_TRUE(WaitForGuard(program, runtime_ + "/Corvanite.lock"));
    EXPECT_TRUE(program.running());
}

TEST(ProgramFile, CarriesItsVersionRecord) {
    std::ifstream file(CORVANITE_EXECUTABLE, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    for (const char* entry : {"FileVersion=2.2.0.0\n", "FileDescription=Corvanite Test Tool\n",
                              "Comments=Multi-Threaded Version\n", "ProductName=Corvanite\n",
                              "OriginalFilename=Corvanite.EXE\n", "CompanyName=Brellwick\n"})
        EXPECT_NE(bytes.find(entry), std::string::npos) << entry;
}

}  // namespace
