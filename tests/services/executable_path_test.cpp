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
        {"/opt/x/Corvanite.EXE", "Corvanite", "/opt/x/Corvanite.html"},
        {"/home/ann/.local/bin/Corvanite", "Corvanite", "/home/ann/.local/bin/Corvanite.html"},
        {"/a.b/c", "c", "/a.b/c.html"},
        {"Corvanite", "Corvanite", "Corvanite.html"},
        {"Corvanite.EXE", "Corvanite", "Corvanite.html"},
        {"/opt/x.tar.gz", "x.tar", "/opt/x.tar.html"},
        {"C:\\Tools\\v1.2\\Corvanite.exe", "Corvanite", "C:\\Tools\\v1.2\\Corvanite.html"},
        {"C:Corvanite.exe", "Corvanite", "C:Corvanite.html"},
        {"/opt/x/Corvanite.", "Corvanite", "/opt/x/Corvanite.html"},
        {"/opt/x/.hidden", ".hidden", "/opt/x/.hidden.html"},
        {"/opt/x/Copy of Corvanite.EXE", "Copy of Corvanite", "/opt/x/Copy of Corvanite.html"},
        {"/opt/x/", "", "/opt/x/.html"},
        {"", "", ".html"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(ApplicationNameFromPath(c.path), c.name) << c.path;
        EXPECT_EQ(HelpFilePathFromPath(c.path), c.helpFile) << c.path;
    }
}

TEST(ExecutablePath, TheInstalledHelpPageIsInTheShareFolderBesideBin) {
    const struct {
        const char* path;
        const char* page;
    } cases[] = {
        {"/usr/bin/corvanite", "/usr/share/corvanite/corvanite.html"},
        {"/home/ann/.local/bin/Corvanite.EXE", "/home/ann/.local/share/corvanite/corvanite.html"},
        {"/opt/x/bin//corvanite", "/opt/x/share/corvanite/corvanite.html"},
        {"bin/corvanite", "share/corvanite/corvanite.html"},
        {"corvanite", "../share/corvanite/corvanite.html"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstalledHelpFilePathFromPath(c.path), c.page) << c.path;
    }
}

TEST(ExecutablePath, FileNameFollowsTheLastSeparatorOfAnyKind) {
    EXPECT_EQ(FileNameOf("/a/b\\c:d"), "d");
    EXPECT_EQ(FileNameOf("plain"), "plain");
    EXPECT_EQ(FileNameOf("/a/"), "");
}

}  // namespace
