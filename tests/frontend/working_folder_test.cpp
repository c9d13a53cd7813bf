#include "frontend/working_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

TEST(WorkingFolder, IsTheProgramsFolderOnlyWhenTheUserMayWriteItAndItIsNoBinFolder) {
    const struct {
        const char* name;
        WorkingFolderSetting setting;
        std::string directory;
        Paths lists;
    } table[] = {
        {"a writable folder of one's own: as before, whatever the variables say",
         {"/home/ann/tools", true, "/data", "/config", "/home/ann"},
         "/home/ann/tools",
         {"/home/ann/tools/Corvanite.cfg"}},
        {"a folder the user cannot write, variables unset: the defaults below home",
         {"/opt/corvanite", false, "", "", "/home/ann"},
         "/home/ann/.local/share/corvanite",
         {"/home/ann/.config/corvanite/Corvanite.cfg", "/opt/corvanite/Corvanite.cfg"}},
        {"a folder the user cannot write, variables set",
         {"/opt/corvanite", false, "/data", "/config", "/home/ann"},
         "/data/corvanite",
         {"/config/corvanite/Corvanite.cfg", "/opt/corvanite/Corvanite.cfg"}},
        {"a per-user install: its bin folder is writable but shared",
         {"/home/ann/.local/bin", true, "", "", "/home/ann"},
         "/home/ann/.local/share/corvanite",
         {"/home/ann/.config/corvanite/Corvanite.cfg", "/home/ann/.local/bin/Corvanite.cfg"}},
        {"root runs the package's program",
         {"/usr/bin", true, "", "", "/root"},
         "/root/.local/share/corvanite",
         {"/root/.config/corvanite/Corvanite.cfg", "/usr/bin/Corvanite.cfg"}},
        {"a name ending in bin is no bin folder",
         {"/home/ann/cabin", true, "", "", "/home/ann"},
         "/home/ann/cabin",
         {"/home/ann/cabin/Corvanite.cfg"}},
        {"relative variables are ignored",
         {"/usr/bin", false, "data", "config", "/home/ann"},
         "/home/ann/.local/share/corvanite",
         {"/home/ann/.config/corvanite/Corvanite.cfg", "/usr/bin/Corvanite.cfg"}},
        {"trailing separators are dropped",
         {"/usr/bin", false, "/data//", "/config/", "/home/ann/"},
         "/data/corvanite",
         {"/config/corvanite/Corvanite.cfg", "/usr/bin/Corvanite.cfg"}},
        {"no home: a folder at the root, which a user cannot create, never a relative one",
         {"/usr/bin", false, "", "", ""},
         "/.local/share/corvanite",
         {"/.config/corvanite/Corvanite.cfg", "/usr/bin/Corvanite.cfg"}},
        {"a relative home counts as none",
         {"/usr/bin", false, "", "", "ann"},
         "/.local/share/corvanite",
         {"/.config/corvanite/Corvanite.cfg", "/usr/bin/Corvanite.cfg"}},
        {"the executable's folder unknown: only the configuration's list",
         {"", true, "/data", "", "/home/ann"},
         "/data/corvanite",
         {"/home/ann/.config/corvanite/Corvanite.cfg"}},
    };
    for (const auto& row : table) {
        const WorkingFolder folder = ChooseWorkingFolder(row.setting);
        EXPECT_EQ(folder.directory, row.directory) << row.name;
        EXPECT_EQ(folder.urlListFiles, row.lists) << row.name;
    }
}

TEST(WorkingFolder, OfThisProgramIsItsFolderWhenTheRealUserMayWriteIt) {
    const std::string executable = fs::read_symlink("/proc/self/exe").parent_path().string();
    const bool writable = access(executable.c_str(), W_OK | X_OK) == 0;
    EXPECT_EQ(WorkingFolderOfThisProgram().directory == executable, writable) << executable;
}

using testsupport::fileMode;

class PreparedFolder : public ::testing::Test {
protected:
    testsupport::TempDir base_;
};

TEST_F(PreparedFolder, IsCreatedWithTheFoldersAboveItForTheUserAlone) {
    const std::string folder = base_.file("home/.local/share/corvanite");
    const auto problem = PrepareWorkingFolder(folder);
    EXPECT_FALSE(problem.has_value()) << problem->reason;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fileMode(folder), 0700u);
    EXPECT_EQ(fileMode(base_.file("home/.local")), 0700u);
    // Ready the second time, and left as it was.
    EXPECT_FALSE(PrepareWorkingFolder(folder).has_value());
}

TEST_F(PreparedFolder, AnExistingFolderKeepsItsMode) {
    const std::string folder = base_.file("shared");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    EXPECT_FALSE(PrepareWorkingFolder(folder).has_value());
    EXPECT_EQ(fileMode(folder), 0755u);
}

TEST_F(PreparedFolder, AFileInItsPlaceIsNamedWithTheSystemsReasonAndLeftAlone) {
    const struct {
        const char* name;
        std::string file;    // made a file
        std::string folder;  // asked for
    } table[] = {
        {"the folder itself", "corvanite", "corvanite"},
        {"a folder above it", "share", "share/corvanite"},
    };
    for (const auto& row : table) {
        testsupport::TempDir base;
        testsupport::writeFile(base.file(row.file), "not a folder\n");
        const auto problem = PrepareWorkingFolder(base.file(row.folder));
        ASSERT_TRUE(problem.has_value()) << row.name;
        EXPECT_EQ(problem->folder, base.file(row.folder)) << row.name;
        EXPECT_EQ(problem->reason, std::strerror(ENOTDIR)) << row.name;
        EXPECT_EQ(testsupport::readFile(base.file(row.file)), "not a folder\n") << row.name;
        const std::string text = FolderProblemText(*problem);
        EXPECT_NE(text.find("\"" + base.file(row.folder) + "\": Not a directory."),
                  std::string::npos)
            << text;
    }
}

TEST_F(PreparedFolder, AFolderTheUserCannotWriteIsNamedWithTheSystemsReason) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root may write any folder";
    }
    const std::string locked = base_.file("locked");
    ASSERT_EQ(mkdir(locked.c_str(), 0500), 0);
    for (const std::string& folder : {locked, locked + "/corvanite"}) {
        const auto problem = PrepareWorkingFolder(folder);
        ASSERT_TRUE(problem.has_value()) << folder;
        EXPECT_EQ(problem->reason, std::strerror(EACCES)) << folder;
    }
    EXPECT_FALSE(fs::exists(locked + "/corvanite"));
    chmod(locked.c_str(), 0700);
}

TEST_F(PreparedFolder, ARelativeFolderIsRefused) {
    const auto problem = PrepareWorkingFolder("corvanite");
    ASSERT_TRUE(problem.has_value());
    EXPECT_FALSE(fs::exists("corvanite"));
}

}  // namespace
