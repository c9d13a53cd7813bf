// The program itself, started as a process of its own on the offscreen platform.
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/desktop/shell.h"
#include "tests/app/program/program_process.h"
#include "tests/common/message_box_answers.h"
#include "tests/support/test_files.h"

namespace {

using testsupport::readFile;

TEST_F(ProgramTest, TakesTheGuardNamedAfterItsFileAndACopyUnderAnotherNameRunsBeside) {
    Program first(copyAs("Corvanite"), runtime_);
    ASSERT_TRUE(WaitForGuard(first, runtime_ + "/Corvanite.lock"));
    Program copy(copyAs("Corvanite2.EXE"), runtime_);
    ASSERT_TRUE(WaitForGuard(copy, runtime_ + "/Corvanite2.lock"));
    EXPECT_TRUE(first.running());
}

TEST_F(ProgramTest, IgnoresItsCommandLine) {
    // Were the toolkit's own options taken, this one would ask for a display that is not there.
    Program program(copyAs("Corvanite"), runtime_, {"-platform", "xcb", "--help", "http://x/y.z"});
    ASSERT_TRUE(WaitForGuard(program, runtime_ + "/Corvanite.lock"));
    EXPECT_TRUE(program.running());
}

TEST_F(ProgramTest, WithoutADisplaySaysSoInOneLineAndEndsWithOne) {
    const std::string errors = directory_ + "/errors.txt";
    Program program(copyAs("Corvanite"), runtime_, {},
                    {.set = {}, .unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}},
                    errors);
    const std::optional<int> status = program.waitForExit(std::chrono::seconds(60));
    ASSERT_TRUE(status.has_value());
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string said = readFile(errors);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("no display found"), std::string::npos) << said;
    EXPECT_NE(said.find("corvanite-cli URL"), std::string::npos) << said;
}

TEST(ProgramFile, CarriesItsVersionRecord) {
    const std::string bytes = readFile(CORVANITE_EXECUTABLE);
    for (const char* entry : {"FileVersion=2.2.0.0\n", "FileDescription=Corvanite Test Tool\n",
                              "Comments=Multi-Threaded Version\n", "ProductName=Corvanite\n",
                              "OriginalFilename=Corvanite.EXE\n", "CompanyName=Brellwick\n"})
        EXPECT_NE(bytes.find(entry), std::string::npos) << entry;
}

TEST(ProgramFile, HasASelfContainedHelpPageBesideIt) {
    const std::string page = readFile(CORVANITE_EXECUTABLE ".html");
    ASSERT_FALSE(page.empty());
    // Nothing is fetched from elsewhere, and every link stays on the page.
    for (const char* outside : {"src=", "<link", "url(", "@import"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    for (auto at = page.find("href=\""); at != std::string::npos; at = page.find("href=\"", at + 1))
        EXPECT_EQ(page[at + 6], '#') << page.substr(at, 40);
    // Written for this program: its files and its command line.
    for (const char* name : {"Corvanite.cfg", "BandWidth_TestRpt.txt", "corvanite-cli"})
        EXPECT_NE(page.find(name), std::string::npos) << name;
}

TEST(ProgramFile, TheHelpKeyOpensThePageBesideIt) {
    std::vector<std::string> opened;
    SetShellOpener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    MessageBoxAnswers answers;
    TestApp app(nullptr);
    app.initialise(CORVANITE_EXECUTABLE);
    app.help();
    SetShellOpener({});
    EXPECT_EQ(answers.count(), 0u);
    EXPECT_EQ(opened, std::vector<std::string>{"file://" CORVANITE_EXECUTABLE ".html"});
}

}  // namespace
