#include "cli/options.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/exit_status.h"

namespace {

struct GoodCase {
    std::vector<std::string> arguments;
    bool help;
    bool version;
    bool json;
    bool quiet;
    const char* url;  // null: none
};

void PrintTo(const GoodCase& c, std::ostream* out) {
    for (const std::string& argument : c.arguments) {
        *out << "'" << argument << "' ";
    }
}

class GoodCommandLine : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodCommandLine, GivesTheOptions) {
    const GoodCase& c = GetParam();
    const CliCommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.options.help, c.help);
    EXPECT_EQ(line.options.version, c.version);
    EXPECT_EQ(line.options.json, c.json);
    EXPECT_EQ(line.options.quiet, c.quiet);
    if (c.url == nullptr) {
        EXPECT_FALSE(line.options.url.has_value());
    } else {
        ASSERT_TRUE(line.options.url.has_value());
        EXPECT_EQ(*line.options.url, c.url);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoodCommandLine,
    ::testing::Values(
        GoodCase{{}, false, false, false, false, nullptr},
        GoodCase{{"http://h/f.bin"}, false, false, false, false, "http://h/f.bin"},
        GoodCase{{"--json", "http://h/f.bin"}, false, false, true, false, "http://h/f.bin"},
        GoodCase{{"http://h/f.bin", "--json"}, false, false, true, false, "http://h/f.bin"},
        GoodCase{{"--js", "-q"}, false, false, true, true, nullptr},
        GoodCase{{"--quiet", "--", "--json"}, false, false, false, true, "--json"},
        GoodCase{{"-"}, false, false, false, false, "-"},
        GoodCase{{""}, false, false, false, false, ""},
        GoodCase{{"-qq"}, false, false, false, true, nullptr},
        // --help and --version act at once, whatever follows.
        GoodCase{{"--help", "--bogus", "a", "b"}, true, false, false, false, nullptr},
        GoodCase{{"--ver"}, false, true, false, false, nullptr},
        GoodCase{{"--he"}, true, false, false, false, nullptr}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

struct BadCase {
    std::vector<std::string> arguments;
    const char* error;
};

void PrintTo(const BadCase& c, std::ostream* out) {
    for (const std::string& argument : c.arguments) {
        *out << "'" << argument << "' ";
    }
}

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, SaysWhatIsWrongTheGnuWay) {
    EXPECT_EQ(ParseCommandLine(GetParam().arguments).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(
        BadCase{{"--bogus"}, "unrecognized option '--bogus'"},
        BadCase{{"-x"}, "invalid option -- 'x'"}, BadCase{{"-qx"}, "invalid option -- 'x'"},
        BadCase{{"--json=yes"}, "option '--json' doesn't allow an argument"},
        BadCase{{"a", "b"}, "extra operand 'b'"},
        BadCase{{"--bogus", "--help"}, "unrecognized option '--bogus'"},
        BadCase{{"--h"}, "option '--h' is ambiguous; possibilities: '--help' '--history'"},
        BadCase{{"--repeat"}, "option '--repeat' requires an argument"},
        BadCase{{"--repeat=0"}, "invalid number of tests '0' (1 to 100000000)"},
        BadCase{{"--repeat", "-3"}, "invalid number of tests '-3' (1 to 100000000)"},
        BadCase{{"--repeat", "2x"}, "invalid number of tests '2x' (1 to 100000000)"},
        BadCase{{"--repeat=3", "--interval=-1"}, "invalid interval '-1' (seconds, 0 to 31536000)"},
        BadCase{{"--repeat=3", "--interval=nan"},
                "invalid interval 'nan' (seconds, 0 to 31536000)"},
        BadCase{{"--interval=5"}, "option '--interval' needs '--repeat' with more than one test"},
        BadCase{{"--csv"}, "option '--csv' needs '--history'"},
        BadCase{{"--history", "--csv", "--json"},
                "options '--csv' and '--json' exclude each other"},
        BadCase{{"--history", "--discard"},
                "option '--history' runs no test: '--repeat', '--interval', '--discard' and "
                "'--connections' do not go with it"},
        BadCase{{"--history", "a", "b"}, "extra operand 'b'"},
        BadCase{{"--monitor", "a"},
                "option '--monitor' tests the URLs of the monitor list: no URL goes with it"},
        BadCase{{"--history", "--alert-below=5"},
                "option '--history' runs no test: '--monitor' and the exports do not go with it"},
        BadCase{{"--influx=127.0.0.1:8086/write"},
                "invalid server URL '127.0.0.1:8086/write' (http:// or https://)"},
        BadCase{{"--alert-below=0"}, "invalid rate '0' (Mbit/s, more than 0)"},
        BadCase{{"--alert-after=0"}, "invalid number of tests '0' (1 to 100000000)"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(CommandLine, ReadsTheSeriesAndHistoryOptions) {
    struct Case {
        std::vector<std::string> arguments;
        unsigned repeat;
        double interval;
        bool history;
        bool csv;
        bool discard;
        const char* url;
    };
    for (const Case& c : {
             Case{{"--repeat", "5", "--interval", "2.5", "u"}, 5, 2.5, false, false, false, "u"},
             Case{{"--rep=3", "--int=0", "--discard"}, 3, 0, false, false, true, nullptr},
             Case{{"--history"}, 1, 0, true, false, false, nullptr},
             Case{{"--hi", "--csv", "http://h/a.bin"}, 1, 0, true, true, false, "http://h/a.bin"},
             Case{{"--history", "--json"}, 1, 0, true, false, false, nullptr},
         }) {
        const CliCommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.error, "") << c.arguments.front();
        EXPECT_EQ(line.options.repeat, c.repeat);
        EXPECT_EQ(line.options.interval, c.interval);
        EXPECT_EQ(line.options.history, c.history);
        EXPECT_EQ(line.options.csv, c.csv);
        EXPECT_EQ(line.options.discard, c.discard);
        EXPECT_EQ(line.options.url.value_or("(none)"), c.url ? c.url : "(none)");
    }
}

TEST(CliTexts, UsageErrorPointsToHelp) {
    EXPECT_EQ(UsageErrorText("corvanite-cli", "extra operand 'b'"),
              "corvanite-cli: extra operand 'b'\n"
              "Try 'corvanite-cli --help' for more information.\n");
}

TEST(CliTexts, VersionCarriesTheVersionRecord) {
    const std::string text = VersionText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "corvanite-cli (Corvanite) 2.2.0.0");
    EXPECT_NE(text.find("Corvanite Test Tool"), std::string::npos);
    EXPECT_NE(text.find("Brellwick"), std::string::npos);
}

TEST(CliTexts, HelpStartsWithUsageAndListsEveryExitStatus) {
    const std::string text = HelpText("cli");
    EXPECT_EQ(text.rfind("Usage: cli [OPTION]... [URL]\n", 0), 0u);
    for (const char* line : {"\n   0  ", "\n   1  ", "\n   2  ", "\n 100  ", "\n 108  ", "\n  64  ",
                             "\n  65  ", "\n  70  ", "\n 130  "}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    for (const char* option : {"--help", "--version", "--json", "--quiet", "--history", "--csv",
                               "--repeat=N", "--interval=SECONDS", "--discard", "https://"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
}

}  // namespace
