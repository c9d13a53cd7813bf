// cmake --install into a temporary prefix: the programs on the PATH, the manual pages, the
// shell completion, the documents, the desktop entry, the icons and the software-centre
// description. Where the installed programs keep their files: working_folder_program_test.cpp
// and package_test.cpp.
#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/cli/cli_process.h"
#include "tests/support/nginx_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using clitest::CliExit;
using clitest::RunCli;
using testsupport::TempDir;

// Installs the build into prefix and says how it went.
CliExit Install(const std::string& prefix) {
    return RunCli(CORVANITE_CMAKE_COMMAND, {"--install", CORVANITE_BINARY_DIR, "--prefix", prefix});
}

// A compressed file as Debian wants it: gzip, and no file name or time in its header, so
// that the same text always gives the same bytes.
void ExpectReproducibleGzip(const std::string& path) {
    const std::string bytes = testsupport::readFile(path);
    ASSERT_GE(bytes.size(), 10u) << path;
    EXPECT_EQ(bytes.substr(0, 3), std::string("\x1f\x8b\x08", 3)) << path;
    EXPECT_EQ(bytes[3] & 0x08, 0) << path << ": holds a file name";
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0')) << path << ": holds a time";
}

std::string Uncompressed(const std::string& path) {
    return RunCli("/bin/gzip", {"-dc", path}).out;
}

TEST(Install, PutsThePrograms) {
    TempDir prefix;
    const CliExit install = Install(prefix.path());
    ASSERT_TRUE(install.exited);
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::string cli = prefix.file("bin/corvanite-cli");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(cli)));
    EXPECT_EQ(::access(cli.c_str(), X_OK), 0);
    const CliExit version = RunCli(cli, {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "corvanite-cli (Corvanite) 2.2.0.0");

    const std::string page = prefix.file("share/man/man1/corvanite-cli.1.gz");
    ExpectReproducibleGzip(page);
    EXPECT_NE(
        Uncompressed(page).find("\n.TH CORVANITE\\-CLI 1 \"December 2026\" \"Corvanite 2.2.0.0\""),
        std::string::npos);
    EXPECT_TRUE(
        fs::is_regular_file(prefix.file("share/bash-completion/completions/corvanite-cli")));
    for (const char* document : {"README", "copyright"}) {
        EXPECT_EQ(testsupport::readFile(prefix.file("share/doc/corvanite/") + document),
                  testsupport::readFile(CORVANITE_SOURCE_DIR "/dist/" + std::string(document)));
    }
    ExpectReproducibleGzip(prefix.file("share/doc/corvanite/changelog.gz"));
    EXPECT_EQ(Uncompressed(prefix.file("share/doc/corvanite/changelog.gz")),
              testsupport::readFile(CORVANITE_SOURCE_DIR "/dist/changelog"));
}

// The monitoring units of a per-user install, where the user's systemd looks for them (it does
// not look in ~/.local/lib), as it reads them, and the service's command as it runs it: every
// URL of the monitor list tested once, the downloads discarded.
TEST(Install, MonitoringUnitsVerifyAndTheServiceTestsTheMonitorList) {
    TempDir home;
    ::chmod(home.path().c_str(), 0700);  // as the runtime folder must be
    clitest::CliLaunch installer;
    installer.environment = {"HOME=" + home.path()};
    const CliExit install =
        RunCli(CORVANITE_CMAKE_COMMAND,
               {"--install", CORVANITE_BINARY_DIR, "--prefix", home.file(".local")}, installer);
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    const std::string units = home.file(".local/share/systemd/user/");
    std::vector<std::string> verify = {"--user", "verify", units + "corvanite-monitor.service",
                                       units + "corvanite-monitor.timer"};
    if (!fs::exists("/usr/bin/man")) {
        verify.insert(verify.begin(), "--man=no");
    }
    clitest::CliLaunch manager;
    manager.environment = {"XDG_RUNTIME_DIR=" + home.path(),
                           "MANPATH=" + home.file(".local/share/man")};
    const CliExit verified = RunCli("/usr/bin/systemd-analyze", verify, manager);
    EXPECT_EQ(verified.status, 0) << verified.out << verified.err;
    EXPECT_NE(testsupport::readFile(units + "corvanite-monitor.timer").find("Persistent=true"),
              std::string::npos);

    const std::string service = testsupport::readFile(units + "corvanite-monitor.service");
    const auto execStart = service.find("\nExecStart=");
    ASSERT_NE(execStart, std::string::npos) << service;
    std::vector<std::string> command;
    std::string word;
    for (auto i = execStart + 11; i <= service.size(); ++i) {
        if (i == service.size() || service[i] == ' ' || service[i] == '\n') {
            // The options variable is empty unless the user sets it.
            if (!word.empty() && word[0] != '$') {
                command.push_back(word);
            }
            word.clear();
            if (i == service.size() || service[i] == '\n') {
                break;
            }
        } else {
            word += service[i];
        }
    }
    ASSERT_EQ(command.at(0), home.file(".local/bin/corvanite-cli"));
    TempDir www;
    testsupport::writePatternFile(www.file("a.bin"), 3000);
    testsupport::writePatternFile(www.file("b.bin"), 4000);
    testsupport::NginxServer nginx(www.path());
    fs::create_directories(home.file("config/corvanite"));
    testsupport::writeFile(home.file("config/corvanite/monitor-urls"),
                           nginx.url("/a.bin") + "\n" + nginx.url("/b.bin") + "\n");
    clitest::CliLaunch user;
    user.environment = {"XDG_CONFIG_HOME=" + home.file("config"),
                        "XDG_DATA_HOME=" + home.file("data")};
    const CliExit run = RunCli(command[0], {command.begin() + 1, command.end()}, user);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const CliExit history = RunCli(command[0], {"--history", "--csv"}, user);
    EXPECT_EQ(clitest::OutputLines(history.out).size(), 3u) << history.out;
    EXPECT_FALSE(fs::exists(home.file("data/corvanite/a.bin")));
}

// The completion as bash runs it: the line typed so far in, the offers out. Bash splits the
// words at blanks and at colons, which are words of their own.
std::vector<std::string> Complete(const std::string& script, const std::string& line,
                                  const std::string& config) {
    std::vector<std::string> words{""};
    for (const char c : line) {
        if (c == ' ' || c == ':') {
            if (!words.back().empty()) {
                words.emplace_back();
            }
            if (c == ':') {
                words.back() = ":";
                words.emplace_back();
            }
        } else {
            words.back() += c;
        }
    }
    if (words.back().empty() && line.back() == ':') {
        words.pop_back();
    }
    std::string assign = "COMP_WORDS=(";
    for (const std::string& word : words) {
        assign += "'" + word + "' ";
    }
    assign += ")";
    const std::string program =
        "source /usr/share/bash-completion/bash_completion && source '" + script + "' && " +
        assign + " && COMP_CWORD=" + std::to_string(words.size() - 1) + " && COMP_LINE='" + line +
        "' && COMP_POINT=${#COMP_LINE} && XDG_CONFIG_HOME='" + config +
        "' && _corvanite_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const CliExit bash = RunCli("/bin/bash", {"-c", program});
    EXPECT_EQ(bash.status, 0) << bash.err;
    std::vector<std::string> offers = clitest::OutputLines(bash.out);
    std::erase(offers, std::string());
    std::sort(offers.begin(), offers.end());
    return offers;
}

TEST(Install, CompletesTheCliOptionsAndTheUrlsOfItsList) {
    if (!fs::exists("/usr/share/bash-completion/bash_completion")) {
        GTEST_SKIP() << "bash-completion (Debian package bash-completion) is not installed";
    }
    TempDir prefix;
    ASSERT_EQ(Install(prefix.path()).status, 0);
    const std::string script = prefix.file("share/bash-completion/completions/corvanite-cli");
    TempDir config;
    fs::create_directory(config.file("corvanite"));
    testsupport::writeFile(config.file("corvanite/Corvanite.cfg"),
                           "http://127.0.0.1/a.bin\r\n\nftp://127.0.0.1/$(touch x).pdf\n"
                           "http://127.0.0.1/b.bin");
    using Offers = std::vector<std::string>;
    const struct {
        std::string line;
        Offers offers;
    } table[] = {
        {"corvanite-cli --j", {"--json"}},
        {"corvanite-cli -",
         {"--alert-after=", "--alert-below=", "--connections=", "--csv", "--discard",
          "--export-failure-status", "--help", "--history", "--influx=", "--interval=", "--json",
          "--monitor", "--no-latency", "--prometheus-textfile=", "--pushgateway=", "--quiet",
          "--repeat=", "--version"}},
        {"corvanite-cli --h", {"--help", "--history"}},
        {"corvanite-cli --version ", {}},
        {"corvanite-cli --repeat=", {}},
        // Bash replaces only what follows the last colon.
        {"corvanite-cli http:", {"//127.0.0.1/a.bin", "//127.0.0.1/b.bin"}},
        {"corvanite-cli http://127.0.0.1/b", {"//127.0.0.1/b.bin"}},
        // Taken as written, never expanded.
        {"corvanite-cli -q f", {"ftp://127.0.0.1/$(touch x).pdf"}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Complete(script, row.line, config.path()), row.offers) << row.line;
    }
    EXPECT_FALSE(fs::exists("x"));
}

#ifdef CORVANITE_INSTALLS_DIALOG
// The value of key in a desktop entry's text, or "(none)".
std::string EntryValue(const std::string& entry, const std::string& key) {
    const std::string::size_type at = entry.find("\n" + key + "=");
    if (at == std::string::npos) {
        return "(none)";
    }
    const std::string::size_type start = at + key.size() + 2;
    return entry.substr(start, entry.find('\n', start) - start);
}

TEST(Install, PutsTheDialogOnThePathAndInTheDesktopsMenu) {
    TempDir base;
    const std::string prefix = base.file("my apps");
    // Every file is in the one unnamed component. Installed by that name, the list of what was
    // installed is a file of this test's own, which the other installs running beside it do
    // not overwrite.
    const CliExit install = RunCli(
        CORVANITE_CMAKE_COMMAND,
        {"--install", CORVANITE_BINARY_DIR, "--prefix", prefix, "--component", "Unspecified"});
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    // The build's Corvanite, on the PATH under a command's lower-case name.
    const std::string program = prefix + "/bin/corvanite";
    EXPECT_EQ(::access(program.c_str(), X_OK), 0);
    EXPECT_FALSE(fs::exists(prefix + "/bin/Corvanite"));
    const std::string manifest = testsupport::readFile(std::string(CORVANITE_BINARY_DIR) +
                                                       "/install_manifest_Unspecified.txt");
    EXPECT_NE(manifest.find(program + "\n"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find(prefix + "/bin/Corvanite\n"), std::string::npos) << manifest;
    ExpectReproducibleGzip(prefix + "/share/man/man1/corvanite.1.gz");

    // Installed as they are in dist/: the icon in every size, the scalable one, the metainfo
    // and the help page, where F1 of the installed program looks for it.
    std::vector<std::pair<std::string, std::string>> copies = {
        {"corvanite/corvanite.html", "corvanite.html"},
        {"icons/hicolor/scalable/apps/corvanite.svg", "icons/corvanite.svg"},
        {"metainfo/org.brellwick.Corvanite.metainfo.xml", "org.brellwick.Corvanite.metainfo.xml"}};
    for (const std::string size :
         {"16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        copies.emplace_back("icons/hicolor/" + size + "/apps/corvanite.png",
                            "icons/" + size + "/corvanite.png");
    }
    for (const auto& [installed, source] : copies) {
        EXPECT_EQ(testsupport::readFile(prefix + "/share/" + installed),
                  testsupport::readFile(CORVANITE_SOURCE_DIR "/dist/" + source));
    }

    const std::string entryPath = prefix + "/share/applications/corvanite.desktop";
    const std::string entry = "\n" + testsupport::readFile(entryPath);
    EXPECT_EQ(entry.rfind("\n[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(EntryValue(entry, "Type"), "Application");
    EXPECT_EQ(EntryValue(entry, "Name"), "Corvanite");
    EXPECT_EQ(EntryValue(entry, "Exec"), "corvanite");
    EXPECT_EQ(EntryValue(entry, "TryExec"), "corvanite");
    EXPECT_EQ(EntryValue(entry, "Icon"), "corvanite");
    EXPECT_EQ(EntryValue(entry, "Categories"), "Network;");
    EXPECT_EQ(EntryValue(entry, "X-Corvanite-Version"), "2.2.0.0");
    EXPECT_NE(EntryValue(entry, "Comment").find("Corvanite Test Tool 2.2.0.0"), std::string::npos);

    if (fs::exists("/usr/bin/desktop-file-validate")) {
        const CliExit validate = RunCli("/usr/bin/desktop-file-validate", {entryPath});
        EXPECT_EQ(validate.status, 0) << validate.out << validate.err;
        EXPECT_EQ(validate.out + validate.err, "");
    }
}

// Software centres read the metainfo and the desktop entry it launches, installed together.
TEST(Install, DescribesTheDialogToSoftwareCentres) {
    if (!fs::exists("/usr/bin/appstreamcli")) {
        GTEST_SKIP() << "appstreamcli (Debian package appstream) is not installed";
    }
    TempDir prefix;
    ASSERT_EQ(Install(prefix.path()).status, 0);
    const CliExit validate =
        RunCli("/usr/bin/appstreamcli", {"validate-tree", "--no-net", prefix.path()});
    EXPECT_EQ(validate.status, 0) << validate.out << validate.err;
}
#endif

}  // namespace
