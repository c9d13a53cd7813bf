// corvanite-cli as installed: a program whose folder is no place for its files keeps them in
// the user's data folder, and says so when that folder cannot take them.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
using testsupport::NginxServer;
using testsupport::TempDir;

constexpr std::uint64_t kSize = 200000;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The program started with its data and configuration folders in home.
CliLaunch InFolders(const TempDir& home) {
    CliLaunch launch;
    launch.environment = {"XDG_DATA_HOME=" + home.file("data"),
                          "XDG_CONFIG_HOME=" + home.file("config")};
    return launch;
}

// corvanite-cli installed in <prefix>/bin, data and configuration folders of a user's own,
// and a server with two files.
class InstalledCli : public ::testing::Test {
protected:
    InstalledCli() : nginx_(served_.path()) {
        testsupport::writePatternFile(served_.file("a.bin"), kSize);
        testsupport::writePatternFile(served_.file("b.bin"), kSize);
        fs::create_directory(bin());
        fs::copy_file(clitest::BuiltProgram(), program());
    }

    std::string bin() const { return prefix_.file("bin"); }
    std::string program() const { return bin() + "/corvanite-cli"; }
    std::string data() const { return home_.file("data/corvanite"); }
    CliLaunch launch() const { return InFolders(home_); }
    std::string url(const std::string& path) const { return nginx_.url(path); }

    TempDir served_;
    NginxServer nginx_;
    TempDir prefix_;
    TempDir home_;
};

TEST_F(InstalledCli, KeepsTheReportAndTheDownloadInTheDataFolderAndNamesTheReport) {
    const CliExit exit = RunCli(program(), {url("/a.bin")}, launch());
    ASSERT_TRUE(exit.exited);
    EXPECT_EQ(exit.status, 0) << exit.err;
    EXPECT_EQ(fs::file_size(data() + "/a.bin"), kSize);
    EXPECT_NE(testsupport::readFile(data() + "/BandWidth_TestRpt.txt")
                  .find("Test URL:       " + url("/a.bin") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(testsupport::fileMode(data()), 0700u);
    EXPECT_EQ(Names(bin()), std::vector<std::string>{"corvanite-cli"});
    const std::string named = "Report appended to " + data() + "/BandWidth_TestRpt.txt\n";
    ASSERT_GE(exit.err.size(), named.size());
    EXPECT_EQ(exit.err.substr(exit.err.size() - named.size()), named);

    // Quiet is quiet.
    const CliExit quiet = RunCli(program(), {"-q", url("/a.bin")}, launch());
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(InstalledCli, TestsTheFirstEntryOfTheConfigurationsListElseOfTheProgramsFolder) {
    const struct {
        const char* name;
        bool inConfiguration;
        bool inProgramFolder;
        const char* tested;
    } table[] = {
        {"both lists", true, true, "a.bin"},
        {"only the program folder's", false, true, "b.bin"},
    };
    for (const auto& row : table) {
        fs::remove_all(home_.file("config"));
        fs::remove_all(data());
        fs::remove(bin() + "/Corvanite.cfg");
        if (row.inConfiguration) {
            fs::create_directories(home_.file("config/corvanite"));
            testsupport::writeFile(home_.file("config/corvanite/Corvanite.cfg"),
                                   url("/a.bin") + "\n");
        }
        if (row.inProgramFolder) {
            testsupport::writeFile(bin() + "/Corvanite.cfg", url("/b.bin") + "\r\n");
        }
        const CliExit exit = RunCli(program(), {"-q"}, launch());
        EXPECT_EQ(exit.status, 0) << row.name << exit.err;
        // The test downloaded the list's first entry into the data folder, and nothing else.
        const std::vector<std::string> names = Names(data());
        for (const std::string name : {"a.bin", "b.bin"}) {
            EXPECT_EQ(std::count(names.begin(), names.end(), name), name == row.tested ? 1 : 0)
                << row.name << ": " << name;
        }
        EXPECT_EQ(std::count(names.begin(), names.end(), "BandWidth_TestRpt.txt"), 1) << row.name;
    }
}

TEST_F(InstalledCli, ADataFolderThatCannotBeMadeIsNamedAndTheTestEndsWithItsOutcome) {
    const struct {
        const char* name;
        std::string file;  // a file where a folder should be
    } table[] = {
        {"the data folder is a file", "data/corvanite"},
        {"the folder above it is a file", "data"},
    };
    for (const auto& row : table) {
        fs::remove_all(home_.file("data"));
        fs::create_directories(fs::path(home_.file(row.file)).parent_path());
        testsupport::writeFile(home_.file(row.file), "mine\n");

        const CliExit exit = RunCli(program(), {url("/a.bin")}, launch());
        EXPECT_EQ(exit.status, 106) << row.name;
        EXPECT_EQ(exit.out, "Opening Destination Fails.\n") << row.name;
        EXPECT_NE(exit.err.find("corvanite-cli: Cannot keep the report and the downloads in the "
                                "folder \"" +
                                data() + "\": Not a directory."),
                  std::string::npos)
            << row.name << exit.err;
        EXPECT_EQ(exit.err.find("Report appended"), std::string::npos) << row.name;
        // Nothing written anywhere else.
        EXPECT_EQ(testsupport::readFile(home_.file(row.file)), "mine\n") << row.name;
        EXPECT_EQ(Names(bin()), std::vector<std::string>{"corvanite-cli"}) << row.name;
        EXPECT_FALSE(fs::exists(home_.file("config"))) << row.name;
    }
}

// The folder of a copy of one's own that the user cannot write: root's permissions would
// allow it, so root runs the program as nobody.
TEST(ReadOnlyProgramFolder, SendsTheFilesToTheDataFolder) {
    TempDir served;
    testsupport::writePatternFile(served.file("a.bin"), kSize);
    NginxServer nginx(served.path());
    TempDir folder;
    TempDir home;
    const std::string program = folder.file("corvanite-cli");
    fs::copy_file(clitest::BuiltProgram(), program);
    CliLaunch launch = InFolders(home);
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr) {
            GTEST_SKIP() << "no user nobody to run the program as";
        }
        launch.user = nobody->pw_uid;
        launch.group = nobody->pw_gid;
        ASSERT_EQ(chown(home.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        ASSERT_EQ(chmod(folder.path().c_str(), 0755), 0);
    } else {
        ASSERT_EQ(chmod(folder.path().c_str(), 0555), 0);
    }

    const CliExit exit = RunCli(program, {nginx.url("/a.bin")}, launch);
    chmod(folder.path().c_str(), 0700);
    EXPECT_EQ(exit.status, 0) << exit.err;
    EXPECT_EQ(fs::file_size(home.file("data/corvanite/a.bin")), kSize);
    EXPECT_TRUE(fs::exists(home.file("data/corvanite/BandWidth_TestRpt.txt")));
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"corvanite-cli"});
}

}  // namespace
