#include "bandwidth/program_files.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/module_path.h"
#include "services/app_services.h"
#include "services/executable_path.h"

namespace {

TEST(ProgramFileName, IsTheProgramsOwnOrNot) {
    const struct {
        std::string name;
        bool own;
    } cases[] = {
        {"BandWidth_TestRpt.txt", true},
        {"Corvanite.cfg", true},
        {"BandWidth_History.db", true},
        {"BandWidth_History.db-wal", true},
        {"BandWidth_History.db-shm", true},
        {"BandWidth_History.db-journal", true},
        {"Corvanite.html", true},
        {"README", true},
        {"corvanite.png", true},
        {"Corvanite", true},
        {"corvanite", true},
        {"corvanite-cli", true},
        // Names are compared as the file system compares them: exactly.
        {"bandwidth_testrpt.txt", false},
        {"CORVANITE.CFG", false},
        {"BandWidth_TestRpt.txt?x=1", false},
        {"BandWidth_TestRpt.txt.bak", false},
        {"BandWidth_History.db-old", false},
        {"BandWidth_History.d", false},
        {"sample.bin", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProgramFileName(c.name), c.own) << '"' << c.name << '"';
    }
}

TEST(ProgramFileName, TheRunningExecutableAndItsHelpPageAreTheProgramsOwn) {
    const std::string executable = FileNameOf(ModuleFileName());
    ASSERT_FALSE(executable.empty());
    EXPECT_TRUE(IsProgramFileName(executable));
    EXPECT_TRUE(IsProgramFileName(ApplicationName() + ".html"));
    EXPECT_FALSE(IsProgramFileName(executable + ".bin"));
    EXPECT_FALSE(IsProgramFileName(ApplicationName() + ".htm"));
}

}  // namespace
