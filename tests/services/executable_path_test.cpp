#include "services/executable_path.h"

#include <string>

#include <gtest/gtest.h>

#include "services/app_services.h"

namespace {

struct PathCase {
    const char* path;
    const char* name;
    const char* helpFile;
};

TEST(ExecutablePath, NameAndHelpFileComeFromTheFileNameAlone) {
    const PathCase cases[] = {
        {"/opt/x/Corvanite.EXE", "Corvanite", "/opt/x/Corvanite.HLP"},
        {"/home/ann/.local/bin/Corvanite", "Corvanite", "/home/ann/.local/bin/Corvanite.HLP"},
        {"/a.b/c", "c", "/a.b/c.HLP"},
        {"Corvanite", "Corvanite", "Corvanite.HLP"},
        {"Corvanite.EXE", "Corvanite", "Corvanite.HLP"},
        {"/opt/x.tar.gz", "x.tar", "/opt/x.tar.HLP"},
        {"C:\\Tools\\v1.2\\Corvanite.exe", "Corvanite", "C:\\Tools\\v1.2\\Corvanite.HLP"},
        {"C:Corvanite.exe", "Corvanite", "C:Corvanite.HLP"},
        {"/opt/x/Corvanite.", "Corvanite", "/opt/x/Corvanite.HLP"},
        {"/opt/x/.hidden", ".hidden", "/opt/x/.hidden.HLP"},
        {"/opt/x/Copy of Corvanite.EXE", "Copy of Corvanite", "/opt/x/Copy of Corvanite.HLP"},
        {"/opt/x/", "", "/opt/x/.HLP"},
        {"", "", ".HLP"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(ApplicationNameFromPath(c.path), c.name) << c.path;
        EXPECT_EQ(HelpFilePathFromPath(c.path), c.helpFile) << c.path;
    }
}

TEST(ExecutablePath, FileNameFollowsTheLastSeparatorOfAnyKind) {
    EXPECT_EQ(FileNameOf("/a/b\\c:d"), "d");
    EXPECT_EQ(FileNameOf("plain"), "plain");
    EXPECT_EQ(FileNameOf("/a/"), "");
}

}  // namespace
