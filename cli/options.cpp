#include "cli/options.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "cli/version_text.h"
#include "services/version.h"

namespace {

enum class LongOption {
    Help,
    Version,
    Json,
    Quiet,
    History,
    Csv,
    Repeat,
    Interval,
    Discard,
    Monitor,
    PrometheusTextfile,
    Pushgateway,
    Influx,
    AlertBelow,
    AlertAfter,
    ExportFailureStatus
};

struct LongOptionName {
    const char* name;
    LongOption option;
    bool takesValue = false;
};

constexpr std::array<LongOptionName, 16> longOptions{{
    {"help", LongOption::Help},
    {"version", LongOption::Version},
    {"json", LongOption::Json},
    {"quiet", LongOption::Quiet},
    {"history", LongOption::History},
    {"csv", LongOption::Csv},
    {"repeat", LongOption::Repeat, true},
    {"interval", LongOption::Interval, true},
    {"discard", LongOption::Discard},
    {"monitor", LongOption::Monitor},
    {"prometheus-textfile", LongOption::PrometheusTextfile, true},
    {"pushgateway", LongOption::Pushgateway, true},
    {"influx", LongOption::Influx, true},
    {"alert-below", LongOption::AlertBelow, true},
    {"alert-after", LongOption::AlertAfter, true},
    {"export-failure-status", LongOption::ExportFailureStatus},
}};

// The longest series and the longest pause that make sense: a year of tests a second apart.
constexpr unsigned long kMostTests = 100000000;
constexpr double kLongestInterval = 31536000;

// An http:// or https:// URL, for the exports' servers.
bool IsHttpUrl(const std::string& value) {
    return value.starts_with("http://") || value.starts_with("https://");
}

std::string ReadValue(LongOption option, const std::string& value, CliOptions& options) {
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    switch (option) {
        case LongOption::PrometheusTextfile:
            if (value.empty()) {
                return "option '--prometheus-textfile' needs a folder";
            }
            options.prometheusTextfile = value;
            return {};
        case LongOption::Pushgateway:
        case LongOption::Influx:
            if (!IsHttpUrl(value)) {
                return "invalid server URL '" + value + "' (http:// or https://)";
            }
            (option == LongOption::Influx ? options.influx : options.pushgateway) = value;
            return {};
        case LongOption::AlertBelow: {
            const double megabits = std::strtod(text, &end);
            if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(megabits) ||
                megabits <= 0) {
                return "invalid rate '" + value + "' (Mbit/s, more than 0)";
            }
            options.alertBelow = megabits;
            return {};
        }
        case LongOption::AlertAfter: {
            const unsigned long count = std::strtoul(text, &end, 10);
            if (value.empty() || *end != '\0' || errno != 0 || value[0] == '-' || count < 1 ||
                count > kMostTests) {
                return "invalid number of tests '" + value + "' (1 to " +
                       std::to_string(kMostTests) + ")";
            }
            options.alertAfter = static_cast<unsigned>(count);
            return {};
        }
        default:
            break;
    }
    if (option == LongOption::Repeat) {
        const unsigned long count = std::strtoul(text, &end, 10);
        if (value.empty() || *end != '\0' || errno != 0 || value[0] == '-' || count < 1 ||
            count > kMostTests) {
            return "invalid number of tests '" + value + "' (1 to " + std::to_string(kMostTests) +
                   ")";
        }
        options.repeat = static_cast<unsigned>(count);
        return {};
    }
    const double seconds = std::strtod(text, &end);
    if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(seconds) || seconds < 0 ||
        seconds > kLongestInterval) {
        return "invalid interval '" + value + "' (seconds, 0 to " +
               std::to_string(static_cast<long>(kLongestInterval)) + ")";
    }
    options.interval = seconds;
    options.intervalGiven = true;
    return {};
}

void Apply(LongOption option, CliOptions& options) {
    switch (option) {
        case LongOption::Help:
            options.help = true;
            break;
        case LongOption::Version:
            options.version = true;
            break;
        case LongOption::Json:
            options.json = true;
            break;
        case LongOption::Quiet:
            options.quiet = true;
            break;
        case LongOption::History:
            options.history = true;
            break;
        case LongOption::Csv:
            options.csv = true;
            break;
        case LongOption::Discard:
            options.discard = true;
            break;
        case LongOption::Monitor:
            options.monitor = true;
            break;
        case LongOption::ExportFailureStatus:
            options.exportFailureStatus = true;
            break;
        default:
            break;  // they take a value
    }
}

// "--name", "--name=value" or "--name value" (the value then taken from *next, which is moved
// on): an exact name wins, else the one option the prefix starts.
std::string ReadLongOption(const std::string& argument, const std::string* next, bool& usedNext,
                           CliOptions& options) {
    const std::string::size_type equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? equals : equals - 2);
    const LongOptionName* match = nullptr;
    std::string candidates;
    int matches = 0;
    for (const LongOptionName& option : longOptions) {
        const std::string optionName = option.name;
        if (optionName == name) {
            match = &option;
            matches = 1;
            break;
        }
        if (optionName.compare(0, name.size(), name) == 0) {
            match = &option;
            ++matches;
            candidates += " '--" + optionName + "'";
        }
    }
    if (matches == 0) {
        return "unrecognized option '" + argument + "'";
    }
    if (matches > 1) {
        return "option '--" + name + "' is ambiguous; possibilities:" + candidates;
    }
    if (match->takesValue) {
        if (equals != std::string::npos) {
            return ReadValue(match->option, argument.substr(equals + 1), options);
        }
        if (next == nullptr) {
            return "option '--" + std::string(match->name) + "' requires an argument";
        }
        usedNext = true;
        return ReadValue(match->option, *next, options);
    }
    if (equals != std::string::npos) {
        return "option '--" + std::string(match->name) + "' doesn't allow an argument";
    }
    Apply(match->option, options);
    return {};
}

// Options that make no sense together, or alone.
std::string CheckCombination(const CliOptions& options) {
    if (options.csv && !options.history) {
        return "option '--csv' needs '--history'";
    }
    if (options.csv && options.json) {
        return "options '--csv' and '--json' exclude each other";
    }
    if (options.history && (options.repeat != 1 || options.intervalGiven || options.discard)) {
        return "option '--history' runs no test: '--repeat', '--interval' and '--discard' do "
               "not go with it";
    }
    const bool exports = options.prometheusTextfile || options.pushgateway || options.influx ||
                         options.alertBelow || options.alertAfter || options.exportFailureStatus;
    if (options.history && (options.monitor || exports)) {
        return "option '--history' runs no test: '--monitor' and the exports do not go with it";
    }
    if (options.monitor && options.url) {
        return "option '--monitor' tests the URLs of the monitor list: no URL goes with it";
    }
    if (options.intervalGiven && options.repeat == 1) {
        return "option '--interval' needs '--repeat' with more than one test";
    }
    return {};
}

// "-q", or several short options together ("-qq").
std::string ReadShortOptions(const std::string& argument, CliOptions& options) {
    for (std::string::size_type i = 1; i < argument.size(); ++i) {
        if (argument[i] != 'q') {
            return std::string("invalid option -- '") + argument[i] + "'";
        }
        options.quiet = true;
    }
    return {};
}

}  // namespace

CliCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CliCommandLine result;
    CliOptions& options = result.options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (isOption && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (isOption) {
            bool usedNext = false;
            const std::string* next = i + 1 < arguments.size() ? &arguments[i + 1] : nullptr;
            result.error = argument[1] == '-' ? ReadLongOption(argument, next, usedNext, options)
                                              : ReadShortOptions(argument, options);
            if (!result.error.empty() || options.help || options.version) {
                return result;
            }
            if (usedNext) {
                ++i;
            }
            continue;
        }
        if (options.url) {
            result.error = "extra operand '" + argument + "'";
            return result;
        }
        options.url = argument;
    }
    result.error = CheckCombination(options);
    return result;
}

std::string HelpText(const std::string& programName) {
    return "Usage: " + programName +
           " [OPTION]... [URL]\n"
           "  or:  " +
           programName +
           " --monitor [OPTION]...\n"
           "  or:  " +
           programName +
           " --history [--json | --csv] [URL]\n"
           "Measure the download bandwidth with one test of URL, an http://, https:// or ftp://\n"
           "file, without a window: download the whole file once, bypassing every cache, save\n"
           "it in the working folder, time it and append a report block to\n"
           "BandWidth_TestRpt.txt there. The test is the one the Corvanite dialog runs (the\n"
           "dialog tests http:// and ftp:// only). Every test is also added to the history,\n"
           "BandWidth_History.db in the same folder, as the dialog's are. The working folder\n"
           "is this program's folder when you can write it and it is not a bin folder, else\n"
           "$XDG_DATA_HOME/corvanite (by default ~/.local/share/corvanite).\n"
           "\n"
           "With no URL, test the first entry of Corvanite.cfg, or of the built-in list when\n"
           "that file cannot be read. It is read from the program's folder; when the working\n"
           "folder is the data folder, from $XDG_CONFIG_HOME/corvanite (by default\n"
           "~/.config/corvanite) first.\n"
           "\n"
           "  -q, --quiet          show no progress while the test runs\n"
           "      --json           print the result as one JSON object instead of text\n"
           "      --repeat=N       run a series of N tests, then a summary of their rates\n"
           "                         (least, median, greatest)\n"
           "      --interval=SECONDS  start each test of the series SECONDS after the one\n"
           "                         before (at once when that one took longer); default 0\n"
           "      --discard        remove the downloaded file after each test\n"
           "      --monitor        test each URL of the monitor list, $XDG_CONFIG_HOME/corvanite/\n"
           "                         monitor-urls (one URL per line), once, in its order\n"
           "      --history        print the history of every test instead of testing, newest\n"
           "                         first; with a URL, only that URL's tests\n"
           "      --csv            with --history: print CSV (RFC 4180) instead of a table;\n"
           "                         --json prints one JSON object per line\n"
           "\n"
           "Monitoring, after each test (from the history, so across separate runs):\n"
           "      --prometheus-textfile=DIR  write DIR/corvanite.prom, the last test of every\n"
           "                         URL for node_exporter's textfile collector\n"
           "      --pushgateway=URL  push the same metrics to the Prometheus Pushgateway at\n"
           "                         URL (job corvanite, instance: this host's name)\n"
           "      --influx=URL     POST the test in InfluxDB line protocol to the write\n"
           "                         endpoint URL, given whole (1.x: .../write?db=NAME; 2.x:\n"
           "                         .../api/v2/write?org=ORG&bucket=BUCKET, with the token\n"
           "                         in the environment variable CORVANITE_INFLUX_TOKEN)\n"
           "      --alert-below=MBITS  alert when tests of a URL come below MBITS Mbit/s or\n"
           "                         fail: a desktop notification and a line on standard\n"
           "                         error; once more when a test is good again\n"
           "      --alert-after=N  alert only after N such tests in a row (default 1)\n"
           "      --export-failure-status  exit with status 75 when an export could not\n"
           "                         reach its place and the tests succeeded\n"
           "An export waits a few seconds at most; one that fails is told on standard error\n"
           "and leaves the test, its report and its history as they are.\n"
           "\n"
           "      --help           display this help and exit\n"
           "      --version        output version information and exit\n"
           "\n"
           "Progress goes to standard error: a bar on a terminal (at most ten redraws a\n"
           "second), else a line every five seconds. The result goes to standard output: the\n"
           "status text, and for a finished test the report block, the result line and the\n"
           "precise figures. The rate is the bytes received over the total time, from asking\n"
           "for the URL to the last read, on a monotonic clock, in megabits per second\n"
           "(Mbit/s, 1000000 bits) and megabytes per second (MB/s, 1000000 bytes). When the\n"
           "URL cannot be opened (100), or a file cannot be created or written (106, 107), the\n"
           "cause is printed on standard error. A history that cannot be written is told once\n"
           "on standard error; the test and its report go on.\n"
           "\n"
           "Ctrl-C stops the test as the Cancel button does (and ends a series); a second\n"
           "Ctrl-C quits at once. SIGTERM and SIGHUP stop it as leaving the program does.\n"
           "\n"
           "Exit status (of a series: 0 when every test finished, else that of the last test\n"
           "that did not; 1 or 2 when a signal stopped it between two tests):\n"
           "   0  the test finished and its report was appended\n"
           "   1  the test was stopped by SIGTERM or SIGHUP\n"
           "   2  the test was cancelled (Ctrl-C)\n"
           " 100  the URL could not be opened\n"
           " 101  the URL could not be parsed\n"
           " 102  the HTTP server gave no file length\n"
           " 103  the FTP server could not be reached for the file's size\n"
           " 104  the URL is neither http, https nor ftp\n"
           " 105  the URL names no file (its last segment has no '.')\n"
           " 106  the downloaded file could not be created\n"
           " 107  the report file could not be opened\n"
           " 108  opening the URL gave no file\n"
           "  64  the command line cannot be used\n"
           "  65  there is no URL to test\n"
           "  70  the test could not be run, its result could not be written, or the history\n"
           "      could not be read\n"
           "  75  an export failed (only with --export-failure-status)\n"
           " 130  a second Ctrl-C quit at once\n";
}

std::string VersionText() {
    return std::string(CorvaniteCliName) + " (" CORVANITE_PRODUCT_NAME ") " CORVANITE_FILE_VERSION
                                           "\n" CORVANITE_FILE_DESCRIPTION ", " CORVANITE_COMMENTS
                                           "\n" CORVANITE_LEGAL_COPYRIGHT "\n";
}

std::string UsageErrorText(const std::string& programName, const std::string& error) {
    return programName + ": " + error + "\nTry '" + programName +
           " --help' for more information.\n";
}
