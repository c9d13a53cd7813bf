// What a URL may not make a test do: save over the program's own files, save under a name that
// differs from the URL opened, write a password into the report, or follow a link planted in
// the report's place.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "platform/module_path.h"
#include "services/app_services.h"
#include "services/executable_path.h"
#include "tests/bandwidth/worker_harness.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

const std::string kReport = "BandWidth_TestRpt.txt";
const std::string kUrlList = "Corvanite.cfg";
const std::string kEarlierReport = "an earlier report\r\n";
const std::string kOwnUrls = "http://127.0.0.1/own.bin\n";

// The history's own files, which every test adds to.
bool IsHistoryFile(const std::string& name) {
    return name.rfind("BandWidth_History.db", 0) == 0;
}

// The folder's files but the history's.
std::map<std::string, std::string> Contents(const std::string& directory) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (IsHistoryFile(entry.path().filename().string())) {
            continue;
        }
        contents[entry.path().filename().string()] =
            entry.is_regular_file() ? readFile(entry.path().string()) : "(not a file)";
    }
    return contents;
}

struct OwnFile {
    const char* label;
    std::string (*name)();
    unsigned outcome;  // 105 for a name without a '.', which ends the test first
};

class TestWorkerOwnFile : public ::testing::TestWithParam<OwnFile> {};

TEST_P(TestWorkerOwnFile, IsNeverTheDestination) {
    const std::string name = GetParam().name();
    ScriptedHttpServer http;
    TempDir program;
    writeFile(program.file(kReport), kEarlierReport);
    writeFile(program.file(kUrlList), kOwnUrls);
    if (name != kReport && name != kUrlList) {
        writeFile(program.file(name), "the program's own " + name);
    }
    const auto before = Contents(program.path());

    const WorkerResult result = RunWorker(http.url("/data?size=5000&n=/" + name), program.path());

    ExpectWellFormedRun(result, GetParam().outcome);
    std::uint64_t length = 0;
    EXPECT_FALSE(StartedWith(result, &length));
    EXPECT_EQ(Contents(program.path()), before);
    // The history keeps its files itself (SQLite may remove a journal it finds stale); the
    // download never took one of their names.
    if (IsHistoryFile(name) && std::filesystem::exists(program.file(name))) {
        EXPECT_NE(readFile(program.file(name)), patternBytes(5000));
    }
}

const OwnFile kOwnFiles[] = {
    {"Report", [] { return kReport; }, OutcomeDestinationFailed},
    {"UrlList", [] { return kUrlList; }, OutcomeDestinationFailed},
    {"History", [] { return std::string("BandWidth_History.db"); }, OutcomeDestinationFailed},
    {"HistoryWal", [] { return std::string("BandWidth_History.db-wal"); },
     OutcomeDestinationFailed},
    {"HistoryShm", [] { return std::string("BandWidth_History.db-shm"); },
     OutcomeDestinationFailed},
    {"HistoryJournal", [] { return std::string("BandWidth_History.db-journal"); },
     OutcomeDestinationFailed},
    {"HelpPage", [] { return std::string("Corvanite.html"); }, OutcomeDestinationFailed},
    {"HelpPageOfThisName", [] { return ApplicationName() + ".html"; }, OutcomeDestinationFailed},
    {"Icon", [] { return std::string("corvanite.png"); }, OutcomeDestinationFailed},
    {"Readme", [] { return std::string("README"); }, OutcomeNoFileName},
    {"Cli", [] { return std::string("corvanite-cli"); }, OutcomeNoFileName},
    {"ThisExecutable", [] { return FileNameOf(ModuleFileName()); }, OutcomeNoFileName},
};
INSTANTIATE_TEST_SUITE_P(Names, TestWorkerOwnFile, ::testing::ValuesIn(kOwnFiles),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(TestWorkerOwnFile, NameInAnotherCaseIsAnOrdinaryDownload) {
    ScriptedHttpServer http;
    TempDir program;
    writeFile(program.file(kUrlList), kOwnUrls);

    const WorkerResult result =
        RunWorker(http.url("/data?size=5000&n=/corvanite.CFG"), program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    EXPECT_EQ(readFile(program.file("corvanite.CFG")), patternBytes(5000));
    EXPECT_EQ(readFile(program.file(kUrlList)), kOwnUrls);
}

// Blanks typed around a URL: the URL opened, the URL split and the file name all go without
// them; the report keeps the URL as typed.
struct Blanks {
    const char* label;
    std::string before;
    std::string after;
};

class TestWorkerBlanks : public ::testing::TestWithParam<Blanks> {};

TEST_P(TestWorkerBlanks, AroundTheUrlAreNotPartOfIt) {
    ScriptedHttpServer http;
    TempDir program;
    const std::string url = http.url("/data?size=3000&n=/f.bin");
    const std::string typed = GetParam().before + url + GetParam().after;

    const WorkerResult result = RunWorker(typed, program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    EXPECT_EQ(Contents(program.path()),
              (std::map<std::string, std::string>{{"f.bin", patternBytes(3000)},
                                                  {kReport, readFile(program.file(kReport))}}));
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_EQ(http.requests()[0].requestLine, "GET /data?size=3000&n=/f.bin HTTP/1.1");
    EXPECT_NE(readFile(program.file(kReport)).find("Test URL:       " + typed + "\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Url, TestWorkerBlanks,
                         ::testing::Values(Blanks{"Leading", " ", ""}, Blanks{"Trailing", "", " "},
                                           Blanks{"TabsAndBlanksOnBothSides", " \t ", "\t  "}),
                         [](const auto& info) { return std::string(info.param.label); });

// The report is a plain file that other users can usually read: no password in it.
struct Credentials {
    const char* label;
    std::string userInfo;  // before "@"
    std::string shown;     // as the report shows it
};

class TestWorkerCredentials : public ::testing::TestWithParam<Credentials> {};

TEST_P(TestWorkerCredentials, ReachTheServerButTheReportShowsNoPassword) {
    ScriptedHttpServer http;
    TempDir program;
    const std::string rest = "127.0.0.1:" + std::to_string(http.port()) + "/data?size=100&n=/f.bin";

    const WorkerResult result =
        RunWorker("http://" + GetParam().userInfo + "@" + rest, program.path());

    ExpectWellFormedRun(result, OutcomeFinished);
    ASSERT_EQ(http.requests().size(), 1u);
    EXPECT_TRUE(http.requests()[0].header("Authorization").has_value());
    const std::string report = readFile(program.file(kReport));
    EXPECT_NE(report.find("Test URL:       http://" + GetParam().shown + "@" + rest + "\r\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(report.find("s3cret"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Url, TestWorkerCredentials,
                         ::testing::Values(Credentials{"UserAndPassword", "joe:s3cret", "joe:****"},
                                           Credentials{"EncodedPassword", "joe:s3cret%40home",
                                                       "joe:****"},
                                           Credentials{"EmptyPassword", "joe:", "joe:"},
                                           Credentials{"UserOnly", "joe", "joe"}),
                         [](const auto& info) { return std::string(info.param.label); });

// Something planted in the report's place is never written through: the test ends with 107.
struct Planted {
    const char* label;
    void (*plant)(const std::string& report, const std::string& elsewhere);
};

class TestWorkerPlantedReport : public ::testing::TestWithParam<Planted> {};

TEST_P(TestWorkerPlantedReport, IsNotWrittenThrough) {
    ScriptedHttpServer http;
    TempDir program;
    TempDir elsewhere;
    writeFile(elsewhere.file("precious.txt"), "precious");
    GetParam().plant(program.file(kReport), elsewhere.file("precious.txt"));

    const WorkerResult result = RunWorker(http.url("/data?size=5000&n=/f.bin"), program.path());

    ExpectWellFormedRun(result, OutcomeReportFailed);
    EXPECT_EQ(Contents(elsewhere.path()),
              (std::map<std::string, std::string>{{"precious.txt", "precious"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Report, TestWorkerPlantedReport,
    ::testing::Values(Planted{"LinkToAFile",
                              [](const std::string& report, const std::string& elsewhere) {
                                  ASSERT_EQ(symlink(elsewhere.c_str(), report.c_str()), 0);
                              }},
                      // Nobody reads it: opening it for writing would wait for ever.
                      Planted{"Fifo",
                              [](const std::string& report, const std::string&) {
                                  ASSERT_EQ(mkfifo(report.c_str(), 0600), 0);
                              }}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
