// The Debian package as a user meets it: made by cpack, installed with dpkg on this machine, a test
// run by a user made for the purpose, and purged. Root only; the fixture undoes every change to the
// machine however the test ends.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using clitest::CliExit;
using clitest::CliLaunch;
using clitest::RunCli;
using testsupport::TempDir;

constexpr const char* kPackage = "corvanite";

CliLaunch Quietly() {
    CliLaunch launch;
    launch.environment = {"DEBIAN_FRONTEND=noninteractive"};
    return launch;
}

// What dpkg knows of the package: "installed", "config-files", ..., or "" for nothing.
std::string PackageState() {
    const CliExit query =
        RunCli("/usr/bin/dpkg-query", {"--show", "--showformat=${db:Status-Status}", kPackage});
    return query.status == 0 && query.out != "not-installed" ? query.out : "";
}

class PackageOnThisMachine : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "installing a package with dpkg needs root";
        }
        if (!fs::exists("/usr/bin/dpkg") || !fs::exists("/usr/sbin/useradd")) {
            GTEST_SKIP() << "dpkg or useradd is missing";
        }
        if (!PackageState().empty()) {
            GTEST_SKIP() << "the package " << kPackage << " is on this machine (" << PackageState()
                         << "); the test would replace and then purge it";
        }
        ASSERT_EQ(chmod(base_.path().c_str(), 0755), 0);
    }

    void TearDown() override {
        if (installed_ && !PackageState().empty()) {
            RunCli("/usr/bin/dpkg", {"--purge", kPackage}, Quietly());
        }
        if (!user_.empty()) {
            RunCli("/usr/sbin/userdel", {"--remove", user_});
        }
    }

    // A user with a home of its own, removed again at the end.
    passwd MakeUser() {
        user_ = "corvanite-pkg-" + std::to_string(getpid());
        const CliExit add =
            RunCli("/usr/sbin/useradd", {"--create-home", "--home-dir", base_.file("home"),
                                         "--user-group", "--shell", "/bin/sh", user_});
        EXPECT_EQ(add.status, 0) << add.err;
        const passwd* entry = getpwnam(user_.c_str());
        if (entry == nullptr) {
            ADD_FAILURE() << "useradd made no user " << user_;
            return {};
        }
        return *entry;
    }

    TempDir base_;
    bool installed_ = false;
    std::string user_;
};

TEST_F(PackageOnThisMachine, InstallsRunsATestForAUserAndPurgesCleanly) {
    // cpack -G DEB, as scripts/package.sh runs it, into a folder of the test's own.
    TempDir out;
    const CliExit pack = RunCli(
        CORVANITE_CPACK_COMMAND,
        {"-G", "DEB", "--config", CORVANITE_BINARY_DIR "/CPackConfig.cmake", "-B", out.path()});
    ASSERT_EQ(pack.status, 0) << pack.out << pack.err;
    std::string deb;
    for (const auto& entry : fs::directory_iterator(out.path())) {
        if (entry.path().extension() == ".deb") {
            deb = entry.path().string();
        }
    }
    ASSERT_FALSE(deb.empty()) << pack.out;

    installed_ = true;
    const CliExit install = RunCli("/usr/bin/dpkg", {"--install", deb}, Quietly());
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    ASSERT_EQ(PackageState(), "installed");
    const std::vector<std::string> files =
        clitest::OutputLines(RunCli("/usr/bin/dpkg-query", {"--listfiles", kPackage}).out);
    for (const char* expected :
         {"/usr/bin/corvanite", "/usr/bin/corvanite-cli",
          "/usr/share/applications/corvanite.desktop",
          "/usr/share/icons/hicolor/scalable/apps/corvanite.svg",
          "/usr/share/metainfo/org.brellwick.Corvanite.metainfo.xml",
          "/usr/share/man/man1/corvanite-cli.1.gz", "/usr/share/man/man1/corvanite.1.gz",
          "/usr/share/bash-completion/completions/corvanite-cli",
          "/usr/share/doc/corvanite/copyright", "/usr/share/doc/corvanite/changelog.gz",
          "/usr/lib/systemd/user/corvanite-monitor.service",
          "/usr/lib/systemd/user/corvanite-monitor.timer"}) {
        EXPECT_NE(std::find(files.begin(), files.end(), expected), files.end()) << expected;
    }

    // A user of the machine runs a test with the installed program, found on the PATH.
    const passwd user = MakeUser();
    ASSERT_NE(user.pw_uid, 0u);
    const std::string home = base_.file("home");
    TempDir served;
    testsupport::writePatternFile(served.file("package.bin"), 100000);
    testsupport::NginxServer nginx(served.path());
    CliLaunch asUser;
    asUser.environment = {"HOME=" + home,    "PATH=/usr/bin:/bin", "XDG_DATA_HOME",
                          "XDG_CONFIG_HOME", "USER=" + user_,      "LOGNAME=" + user_};
    asUser.user = user.pw_uid;
    asUser.group = user.pw_gid;
    const CliExit run = RunCli(
        "/bin/sh", {"-c", "cd && exec corvanite-cli \"$0\"", nginx.url("/package.bin")}, asUser);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const std::string data = home + "/.local/share/corvanite";
    const std::string report = data + "/BandWidth_TestRpt.txt";
    EXPECT_NE(run.err.find("Report appended to " + report + "\n"), std::string::npos) << run.err;
    EXPECT_NE(testsupport::readFile(report).find("Test URL:       " + nginx.url("/package.bin")),
              std::string::npos);
    EXPECT_EQ(fs::file_size(data + "/package.bin"), 100000u);
    struct stat status {};
    ASSERT_EQ(stat(data.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, user.pw_uid);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    ASSERT_EQ(stat(report.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, user.pw_uid);
    EXPECT_FALSE(fs::exists("/usr/bin/BandWidth_TestRpt.txt"));
    EXPECT_FALSE(fs::exists("/usr/bin/package.bin"));

    // Purged, the package leaves none of its files behind, and the user's files stay theirs.
    const CliExit purge = RunCli("/usr/bin/dpkg", {"--purge", kPackage}, Quietly());
    EXPECT_EQ(purge.status, 0) << purge.out << purge.err;
    EXPECT_EQ(PackageState(), "");
    for (const std::string& file : files) {
        if (!fs::is_directory(file)) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(file))) << file;
        }
    }
    EXPECT_TRUE(fs::exists(report));
}

}  // namespace
