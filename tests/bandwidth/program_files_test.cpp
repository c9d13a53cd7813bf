#include "bandwidth/program_files.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/module_path.h"
#include "services/app_services.h"
#include "services/executable_path.h"

namespace {

struct NameCase {
    const char* label;
    std::string name;
    bool own;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << '"' << c.name << '"';
}

class ProgramFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ProgramFileName, IsTheProgramsOwnOrNot) {
    EXPECT_EQ(IsProgramFileName(GetParam().name), GetParam().own);
}

const NameCase kNames[] = {
    {"Report", "BandWidth_TestRpt.txt", true},
    {"UrlList", "Corvanite.cfg", true},
    {"History", "BandWidth_History.db", true},
    {"HistoryWal", "BandWidth_History.db-wal", true},
    {"HistoryShm", "BandWidth_History.db-shm", true},
    {"HistoryJournal", "BandWidth_History.db-journal", true},
    {"HelpPage", "Corvanite.html", true},
    {"Readme", "README", true},
    {"Icon", "corvanite.png", true},
    {"Dialog", "Corvanite", true},
    {"DialogLowerCase", "corvanite", true},
    {"Cli", "corvanite-cli", true},
    // Names are compared as the file system compares them: exactly.
    {"ReportInOtherCase", "bandwidth_testrpt.txt", false},
    {"UrlListInOtherCase", "CORVANITE.CFG", false},
    {"ReportWithAQuery", "BandWidth_TestRpt.txt?x=1", false},
    {"ReportWithASuffix", "BandWidth_TestRpt.txt.bak", false},
    {"OtherHistoryJournal", "BandWidth_History.db-old", false},
    {"HistoryPrefix", "BandWidth_History.d", false},
    {"SampleDownload", "sample.bin", false},
    {"Empty", "", false},
};
INSTANTIATE_TEST_SUITE_P(Names, ProgramFileName, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ProgramFileName, TheRunningExecutableAndItsHelpPageAreTheProgramsOwn) {
    const std::string executable = FileNameOf(ModuleFileName());
    ASSERT_FALSE(executable.empty());
    EXPECT_TRUE(IsProgramFileName(executable));
    EXPECT_TRUE(IsProgramFileName(ApplicationName() + ".html"));
    EXPECT_FALSE(IsProgramFileName(executable + ".bin"));
    EXPECT_FALSE(IsProgramFileName(ApplicationName() + ".htm"));
}

}  // namespace
