// cmake --install into a temporary prefix: the program folder, the desktop entry, the icons
// and the software-centre description, and a test run end to end by the installed
// corvanite-cli.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

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

TEST(Install, LaysOutTheFolderThatRunsATestEndToEnd) {
    TempDir prefix;
    const CliExit install = Install(prefix.path());
    ASSERT_TRUE(install.exited);
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::string folder = prefix.file("opt/corvanite");
    for (const char* name : {"corvanite-cli", "README", "corvanite.png"}) {
        EXPECT_TRUE(fs::is_regular_file(folder + "/" + name)) << name;
    }
    EXPECT_EQ(::access((folder + "/corvanite-cli").c_str(), X_OK), 0);
    EXPECT_EQ(testsupport::readFile(folder + "/corvanite.png"),
              testsupport::readFile(CORVANITE_SOURCE_DIR "/dist/icons/32x32/corvanite.png"));
    ASSERT_TRUE(fs::is_symlink(prefix.file("bin/corvanite-cli")));
    EXPECT_EQ(fs::canonical(prefix.file("bin/corvanite-cli")),
              fs::canonical(folder + "/corvanite-cli"));

    const CliExit version = RunCli(prefix.file("bin/corvanite-cli"), {"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "corvanite-cli (Corvanite) 2.2.0.0");

    // Started through the link on the PATH, the test keeps its files in the folder.
    TempDir served;
    testsupport::writePatternFile(served.file("e2e.bin"), 200000);
    testsupport::NginxServer nginx(served.path());
    const CliExit run = RunCli(prefix.file("bin/corvanite-cli"), {"--json", nginx.url("/e2e.bin")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"outcome\":0,\"status\":\"Downloading finished.\",\"bytes\":200000,"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(fs::file_size(folder + "/e2e.bin"), 200000u);
    EXPECT_NE(testsupport::readFile(folder + "/BandWidth_TestRpt.txt")
                  .find("Test URL:       " + nginx.url("/e2e.bin") + "\r\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(prefix.file("bin/BandWidth_TestRpt.txt")));
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

TEST(Install, PutsTheDialogInTheDesktopsMenu) {
    TempDir base;
    // A prefix with a blank makes the entry quote the program's path.
    const std::string prefix = base.file("my apps");
    const CliExit install = Install(prefix);
    ASSERT_EQ(install.status, 0) << install.out << install.err;

    const std::string program = prefix + "/opt/corvanite/Corvanite";
    EXPECT_EQ(::access(program.c_str(), X_OK), 0);
    // Installed as they are in dist/: the icon in every size, the scalable one, the metainfo.
    std::vector<std::pair<std::string, std::string>> copies = {
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
    EXPECT_EQ(EntryValue(entry, "Exec"), "\"" + program + "\"");
    EXPECT_EQ(EntryValue(entry, "TryExec"), program);
    EXPECT_EQ(EntryValue(entry, "Icon"), "corvanite");
    EXPECT_EQ(EntryValue(entry, "Categories"), "Network;");
    EXPECT_EQ(EntryValue(entry, "X-Corvanite-Version"), "2.2.0.0");
    EXPECT_NE(EntryValue(entry, "Comment").find("Corvanite Test Tool 2.2.0.0"), std::string::npos);

    // "$" stays special inside quotes, and "%" starts a field code: both are escaped.
    const std::string odd = base.file("a$b%c");
    ASSERT_EQ(Install(odd).status, 0);
    const std::string oddEntry =
        "\n" + testsupport::readFile(odd + "/share/applications/corvanite.desktop");
    EXPECT_EQ(EntryValue(oddEntry, "Exec"),
              "\"" + base.path() + "/a\\\\$b%%c/opt/corvanite/Corvanite\"");

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
