// URLs no one should type: each ends with one finished notification and a clear outcome, the
// test writes nothing outside the program's directory, leaves the program's own files as they
// were, and the report loses nothing and holds no password.
#include <unistd.h>

#include <climits>
#include <string>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "tests/faults/fault_harness.h"
#include "tests/support/scripted_http_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

using namespace testsupport;

namespace {

constexpr unsigned kAnyKnown = ~0u;

// A URL longer than the room SplitUrl gives its parts opens, then cannot be split: 101.

struct BadUrl {
    const char* name;
    std::string (*make)(const ScriptedHttpServer& http);
    unsigned outcome;  // kAnyKnown: any outcome the dialog knows
};

std::string Host(const ScriptedHttpServer& http) {
    return "127.0.0.1:" + std::to_string(http.port());
}

const BadUrl kBadUrls[] = {
    {"TenThousandCharacters",
     [](const ScriptedHttpServer& http) {
         return http.url("/data?size=10&name=" + std::string(10000, 'a') + ".bin");
     },
     OutcomeUrlNotParsed},
    {"TenThousandCharacterPath",
     [](const ScriptedHttpServer& http) {
         return http.url("/" + std::string(10000, 'p') + ".bin");
     },
     OutcomeUrlNotParsed},
    {"ControlCharacters",
     [](const ScriptedHttpServer& http) {
         std::string controls;
         for (char c = 1; c < 32; ++c) {
             controls += c;
         }
         return http.url("/data?size=10&name=" + controls + ".bin");
     },
     kAnyKnown},
    {"ControlCharactersInThePath",
     [](const ScriptedHttpServer& http) { return http.url("/\x01\x02\x7f\x1b[2J.bin"); },
     OutcomeOpenUrlException},
    {"OnlyAScheme", [](const ScriptedHttpServer&) { return std::string("http://"); },
     OutcomeOpenUrlException},
    {"SchemeAndColon", [](const ScriptedHttpServer&) { return std::string("http:"); },
     OutcomeOpenUrlException},
    {"Empty", [](const ScriptedHttpServer&) { return std::string(); }, OutcomeOpenUrlException},
    {"Ipv6HostNothingListens",
     [](const ScriptedHttpServer& http) {
         return "http://[::1]:" + std::to_string(http.port()) + "/data?size=10&name=.bin";
     },
     OutcomeOpenUrlException},
    {"UserAndPassword",
     [](const ScriptedHttpServer& http) {
         return "http://user:secret@" + Host(http) + "/data?size=10&name=.bin";
     },
     OutcomeFinished},
    {"PortZero",
     [](const ScriptedHttpServer&) { return std::string("http://127.0.0.1:0/data.bin"); },
     OutcomeOpenUrlException},
    {"Port99999",
     [](const ScriptedHttpServer&) { return std::string("http://127.0.0.1:99999/data.bin"); },
     OutcomeOpenUrlException},
    {"DotDotName",
     [](const ScriptedHttpServer& http) { return http.url("/data?size=10&name=/.."); },
     OutcomeDestinationFailed},
    {"EncodedSlashesInTheName",
     [](const ScriptedHttpServer& http) {
         return http.url("/data?size=10&name=..%2F..%2Fescaped.bin");
     },
     OutcomeFinished},
    {"DotSegmentsClimbingAboveTheRoot",
     [](const ScriptedHttpServer& http) { return http.url("/../../../data?size=10&x.bin"); },
     kAnyKnown},
    {"Gopher", [](const ScriptedHttpServer&) { return std::string("gopher://127.0.0.1:1/a.bin"); },
     OutcomeOpenUrlException},
    {"BlanksOnly", [](const ScriptedHttpServer&) { return std::string(" \t "); },
     OutcomeOpenUrlException},
    {"LocalFileOfTheSystem",
     [](const ScriptedHttpServer&) { return std::string("file:///etc/hostname"); },
     OutcomeUnsupportedService},
    {"Mailto", [](const ScriptedHttpServer&) { return std::string("mailto:a@b.c"); }, kAnyKnown},
    {"Javascript", [](const ScriptedHttpServer&) { return std::string("javascript:alert(1)"); },
     kAnyKnown},
};

class BadInput : public ::testing::TestWithParam<BadUrl> {
protected:
    static void SetUpTestSuite() { http_ = std::make_unique<ScriptedHttpServer>(); }
    static void TearDownTestSuite() { http_.reset(); }
    static std::unique_ptr<ScriptedHttpServer> http_;
};
std::unique_ptr<ScriptedHttpServer> BadInput::http_;

// The working directory, for the length of a test.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path) {
        char here[PATH_MAX];
        saved_ = getcwd(here, sizeof here) != nullptr ? here : "/";
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~WorkingDirectory() { EXPECT_EQ(chdir(saved_.c_str()), 0); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::string saved_;
};

TEST_P(BadInput, EndsClearlyAndWritesOnlyInTheProgramDirectory) {
    ShortInternetTimeouts timeouts(std::chrono::seconds(2), std::chrono::seconds(2));
    TempDir outer;
    const std::string program = outer.file("program");
    ASSERT_EQ(mkdir(program.c_str(), 0755), 0);
    TempDir elsewhere;
    WorkingDirectory cwd(elsewhere.path());
    const std::string report = program + "/BandWidth_TestRpt.txt";
    const std::string urlList = program + "/Corvanite.cfg";
    const std::string earlier = "an earlier report\r\n";
    const std::string urls = "http://127.0.0.1/own.bin\n";
    writeFile(report, earlier);
    writeFile(urlList, urls);

    const FaultRun run = RunOneTest(GetParam().make(*http_), program);

    if (GetParam().outcome == kAnyKnown) {
        EXPECT_TRUE(IsKnownOutcome(run.returned)) << run.returned;
        ExpectOneFinished(run, run.returned);
    } else {
        ExpectOneFinished(run, GetParam().outcome);
    }
    EXPECT_EQ(ListDirectory(outer.path()), (std::map<std::string, std::int64_t>{{"program", -1}}));
    EXPECT_TRUE(ListDirectory(elsewhere.path()).empty());
    for (const auto& [name, size] : ListDirectory(program)) {
        EXPECT_GE(size, 0) << name << " is not a regular file";
    }
    EXPECT_EQ(readFile(urlList), urls);
    const std::string reported = readFile(report);
    ASSERT_EQ(reported.compare(0, earlier.size(), earlier), 0) << reported;
    EXPECT_TRUE(IsWholeReportBlocks(reported.substr(earlier.size())));
    EXPECT_EQ(reported.find("secret"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Urls, BadInput, ::testing::ValuesIn(kBadUrls),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
