#include "tests/faults/fault_harness.h"

#include <dirent.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "bandwidth/worker.h"
#include "platform/internet/wininet.h"
#include "tests/support/network_namespace.h"

FaultRun RunOneTest(const std::string& url, const std::string& programDirectory) {
    QueueTarget window;
    TestRequest request;
    request.window = window.window();
    request.url = url;
    request.programDirectory = programDirectory;

    FaultRun run;
    std::thread worker([&] { run.returned = TestWorker(&request); });
    // The finished notification is the last of a run: waiting for it takes them all.
    EXPECT_TRUE(window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::seconds(120)).has_value()) << url;
    worker.join();
    run.messages = window.all();
    return run;
}

bool IsKnownOutcome(unsigned outcome) {
    return outcome <= OutcomeCancelled ||
           (outcome >= OutcomeOpenUrlException && outcome <= OutcomeNoRemoteFile);
}

int FinishedCount(const FaultRun& run) {
    int count = 0;
    for (const PostedMessage& message : run.messages) {
        count += message.message == WM_DOWNLOAD_FINISHED ? 1 : 0;
    }
    return count;
}

void ExpectOneFinished(const FaultRun& run, unsigned outcome) {
    EXPECT_EQ(run.returned, outcome);
    EXPECT_EQ(FinishedCount(run), 1);
    ASSERT_FALSE(run.messages.empty());
    EXPECT_EQ(run.messages.back().message, WM_DOWNLOAD_FINISHED);
    EXPECT_EQ(run.messages.back().wParam, static_cast<WPARAM>(run.returned));
}

std::map<std::string, std::int64_t> ListDirectory(const std::string& directory) {
    std::map<std::string, std::int64_t> listing;
    DIR* dir = opendir(directory.c_str());
    if (dir == nullptr) {
        return listing;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        // The history and its log: every test adds to them, tested on their own.
        if (name == "." || name == ".." || name.rfind("BandWidth_History.db", 0) == 0) {
            continue;
        }
        struct stat status;
        const std::string path = directory + "/" + name;
        const bool regular = lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
        listing[name] = regular ? static_cast<std::int64_t>(status.st_size) : -1;
    }
    closedir(dir);
    return listing;
}

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool IsWholeReportBlocks(const std::string& text, int* blocks) {
    const std::string rule(81, '=');
    // Fixed lines, or the label that starts a line with a value.
    const std::vector<std::string> lines = {"Internet Band Width Test Report",
                                            "                               ------ Corvanite by "
                                            "Brellwick",
                                            "",
                                            rule,
                                            "Test DateTime:  ",
                                            "Test URL:       ",
                                            "Bytes Received: ",
                                            "Seconds Spaned: ",
                                            "Band Width:     ",
                                            rule,
                                            "",
                                            ""};
    int count = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos) {
                return false;
            }
            const std::string line = text.substr(at, end - at);
            const bool labelled = i >= 4 && i <= 8;
            if (labelled ? !StartsWith(line, lines[i]) : line != lines[i]) {
                return false;
            }
            at = end + 2;
        }
        ++count;
    }
    if (blocks != nullptr) {
        *blocks = count;
    }
    return true;
}

namespace {

int CountEntries(const char* directory) {
    int count = 0;
    DIR* dir = opendir(directory);
    if (dir == nullptr) {
        return -1;
    }
    while (const dirent* entry = readdir(dir)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    closedir(dir);
    return count - 1;  // the directory stream's own descriptor
}

}  // namespace

int OpenDescriptorCount() {
    return CountEntries("/proc/self/fd");
}

int ThreadCount() {
    return CountEntries("/proc/self/task") + 1;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (StartsWith(line, "VmRSS:")) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

ShortInternetTimeouts::ShortInternetTimeouts(std::chrono::milliseconds connect,
                                             std::chrono::milliseconds receive) {
    DWORD value = 0;
    DWORD size = sizeof value;
    InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &value, &size);
    connect_ = value;
    size = sizeof value;
    InternetQueryOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &size);
    receive_ = value;
    DWORD shortConnect = static_cast<DWORD>(connect.count());
    DWORD shortReceive = static_cast<DWORD>(receive.count());
    EXPECT_TRUE(InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &shortConnect,
                                   sizeof shortConnect));
    EXPECT_TRUE(InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &shortReceive,
                                   sizeof shortReceive));
}

ShortInternetTimeouts::~ShortInternetTimeouts() {
    DWORD connect = static_cast<DWORD>(connect_);
    DWORD receive = static_cast<DWORD>(receive_);
    InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(nullptr, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

bool RunWithPrivateMounts(const std::function<void()>& body, std::string* why) {
    bool entered = false;
    std::thread inside([&] {
        // Only this thread (and what it starts) moves; nothing mounted here propagates back.
        if (unshare(CLONE_NEWNS) != 0) {
            *why = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
            return;
        }
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            *why = std::string("private mounts: ") + std::strerror(errno);
            return;
        }
        entered = true;
        body();
    });
    inside.join();
    return entered;
}

bool MountSmallTmpfs(const std::string& directory, int sizeKiB, std::string* why) {
    const std::string options = "size=" + std::to_string(sizeKiB) + "k,mode=0755";
    if (mount("tmpfs", directory.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        *why = std::string("mount tmpfs: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool MakeReadOnly(const std::string& directory, std::string* why) {
    if (mount(directory.c_str(), directory.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, directory.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) !=
            0) {
        *why = std::string("read-only bind mount: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool RunInPrivateNetwork(const std::function<void()>& body, std::string* why) {
    bool entered = false;
    std::thread inside([&] {
        if (!testsupport::enterPrivateNetworkNamespace(why)) {
            return;
        }
        entered = true;
        body();
    });
    inside.join();
    return entered;
}
