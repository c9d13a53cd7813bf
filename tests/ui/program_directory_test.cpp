#include "frontend/program_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/ui/dialog_test_support.h"
#include "ui/main_dialog.h"

namespace {

std::string ExecutableFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

TEST(ProgramDirectory, IsTheExecutablesFolderWithoutATrailingSeparator) {
    const std::string directory = ProgramDirectoryOfExecutable();
    EXPECT_EQ(directory, ExecutableFolder());
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '/');
}

TEST(ProgramDirectory, DialogWorksItOutWhenNotGivenOne) {
    TestApplication();
    TestDialog dialog;
    EXPECT_EQ(dialog.programDirectory(), ExecutableFolder());
}

}  // namespace
