#include "cli/options.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>

#include <getopt.h>

#include "bandwidth/program_files.h"
#include "bandwidth/report.h"
#include "cli/exit_status.h"
#include "cli/version_text.h"
#include "history/history_store.h"
#include "services/version.h"

namespace {

// Long options without a short form: values past every character, as coreutils does.
enum : int {
    kHelp = CHAR_MAX + 1,
    kVersion,
    kJson,
    kHistory,
    kCsv,
    kRepeat,
    kInterval,
    kDiscard,
    kConnections,
    kNoLatency,
    kMonitor,
    kPrometheusTextfile,
    kPushgateway,
    kInflux,
    kAlertBelow,
    kAlertAfter,
    kExportFailureStatus,
};

constexpr const char* kShortOptions = "q";

// A new option is its value in the enum above, a row here and a case in ParseCommandLine's
// switch (values it takes are read there, with ReadCount or ReadNumber), then a line in the
// help below and in dist/corvanite-cli.1.in. The order is the one getopt_long lists an
// ambiguous abbreviation's possibilities in.
constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"json", no_argument, nullptr, kJson},
    {"quiet", no_argument, nullptr, 'q'},
    {"history", no_argument, nullptr, kHistory},
    {"csv", no_argument, nullptr, kCsv},
    {"repeat", required_argument, nullptr, kRepeat},
    {"interval", required_argument, nullptr, kInterval},
    {"discard", no_argument, nullptr, kDiscard},
    {"connections", required_argument, nullptr, kConnections},
    {"no-latency", no_argument, nullptr, kNoLatency},
    {"monitor", no_argument, nullptr, kMonitor},
    {"prometheus-textfile", required_argument, nullptr, kPrometheusTextfile},
    {"pushgateway", required_argument, nullptr, kPushgateway},
    {"influx", required_argument, nullptr, kInflux},
    {"alert-below", required_argument, nullptr, kAlertBelow},
    {"alert-after", required_argument, nullptr, kAlertAfter},
    {"export-failure-status", no_argument, nullptr, kExportFailureStatus},
    {nullptr, 0, nullptr, 0},
};

// The name getopt_long's messages start with; ParseCommandLine's errors go without it.
constexpr char kMessageName[] = "corvanite-cli";

// The longest series and the longest pause that make sense: a year of tests a second apart.
constexpr unsigned long kMostTests = 100000000;
constexpr double kLongestInterval = 31536000;

// A whole number from least to most, written in decimal digits only.
bool ReadCount(const char* text, unsigned long least, unsigned long most, unsigned long& count) {
    char* end = nullptr;
    errno = 0;
    count = std::strtoul(text, &end, 10);
    return text[0] >= '0' && text[0] <= '9' && *end == '\0' && errno == 0 && count >= least &&
           count <= most;
}

// A decimal number from least to most.
bool ReadNumber(const char* text, double least, double most, double& number) {
    char* end = nullptr;
    errno = 0;
    number = std::strtod(text, &end);
    return text[0] != '\0' && *end == '\0' && errno == 0 && std::isfinite(number) &&
           number >= least && number <= most;
}

// The servers of the exports: http:// or https:// URLs.
std::optional<std::string> ServerUrl(const char* text) {
    const std::string url = text;
    if (url.starts_with("http://") || url.starts_with("https://")) {
        return url;
    }
    return std::nullopt;
}

// getopt_long tells what is wrong with the command line on standard error, in the words every
// GNU tool uses. glibc's stderr is an ordinary variable, so while the options are read it is a
// memory stream, and the words become ParseCommandLine's error.
class GetoptMessages {
public:
    GetoptMessages() : saved_(stderr), stream_(open_memstream(&buffer_, &size_)) {
        if (stream_ != nullptr) {
            stderr = stream_;
        }
    }
    ~GetoptMessages() {
        stderr = saved_;
        if (stream_ != nullptr) {
            std::fclose(stream_);
        }
        std::free(buffer_);
    }
    GetoptMessages(const GetoptMessages&) = delete;
    GetoptMessages& operator=(const GetoptMessages&) = delete;

    // The last message, without the program's name and the line end.
    std::string take() {
        if (stream_ == nullptr || std::fflush(stream_) != 0 || buffer_ == nullptr) {
            return "invalid command line";
        }
        std::string text(buffer_, size_);
        const std::string prefix = std::string(kMessageName) + ": ";
        if (text.rfind(prefix, 0) == 0) {
            text.erase(0, prefix.size());
        }
        while (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text;
    }

private:
    FILE* saved_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    FILE* stream_;
};

// "   0  The test finished...", each status right-aligned in four columns and its meaning
// wrapped under itself within 79 columns.
std::string ExitStatusSection() {
    constexpr std::size_t kIndent = 6;
    constexpr std::size_t kWidth = 79;
    std::string text;
    for (const ExitStatusMeaning& status : ExitStatusMeanings()) {
        char number[16];
        std::snprintf(number, sizeof number, "%4d  ", status.status);
        std::string line = number;
        std::istringstream words(status.meaning);
        std::string word;
        bool first = true;
        while (words >> word) {
            if (!first && line.size() + 1 + word.size() > kWidth) {
                text += line + "\n";
                line = std::string(kIndent, ' ');
                first = true;
            }
            line += (first ? "" : " ") + word;
            first = false;
        }
        text += line + "\n";
    }
    return text;
}

// Options that make no sense together, or alone.
std::string CheckCombination(const CliOptions& options) {
    if (options.csv && !options.history) {
        return "option '--csv' needs '--history'";
    }
    if (options.csv && options.json) {
        return "options '--csv' and '--json' exclude each other";
    }
    if (options.history && (options.repeat != 1 || options.intervalGiven || options.discard ||
                            options.connections != 1)) {
        return "option '--history' runs no test: '--repeat', '--interval', '--discard' and "
               "'--connections' do not go with it";
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

}  // namespace

CliCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CliCommandLine result;
    CliOptions& options = result.options;
    // getopt_long reorders the pointers, never the texts.
    std::vector<std::string> texts{kMessageName};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const int argc = static_cast<int>(texts.size());

    GetoptMessages messages;
    optind = 0;  // glibc: start afresh, as for another command line
    opterr = 1;
    int option = 0;
    while ((option = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1) {
        unsigned long count = 0;
        switch (option) {
            case kHelp:
                options.help = true;
                return result;
            case kVersion:
                options.version = true;
                return result;
            case kJson:
                options.json = true;
                break;
            case 'q':
                options.quiet = true;
                break;
            case kHistory:
                options.history = true;
                break;
            case kCsv:
                options.csv = true;
                break;
            case kRepeat:
                if (!ReadCount(optarg, 1, kMostTests, count)) {
                    result.error = std::string("invalid number of tests '") + optarg + "' (1 to " +
                                   std::to_string(kMostTests) + ")";
                    return result;
                }
                options.repeat = static_cast<unsigned>(count);
                break;
            case kInterval:
                if (!ReadNumber(optarg, 0, kLongestInterval, options.interval)) {
                    result.error = std::string("invalid interval '") + optarg +
                                   "' (seconds, 0 to " +
                                   std::to_string(static_cast<long>(kLongestInterval)) + ")";
                    return result;
                }
                options.intervalGiven = true;
                break;
            case kDiscard:
                options.discard = true;
                break;
            case kConnections:
                if (!ReadCount(optarg, kFewestConnections, kMostConnections, count)) {
                    result.error = std::string("invalid number of connections '") + optarg + "' (" +
                                   std::to_string(kFewestConnections) + " to " +
                                   std::to_string(kMostConnections) + ")";
                    return result;
                }
                options.connections = static_cast<int>(count);
                break;
            case kNoLatency:
                options.measureLatency = false;
                break;
            case kMonitor:
                options.monitor = true;
                break;
            case kPrometheusTextfile:
                if (*optarg == '\0') {
                    result.error = "option '--prometheus-textfile' needs a folder";
                    return result;
                }
                options.prometheusTextfile = optarg;
                break;
            case kPushgateway:
            case kInflux:
                if (!((option == kInflux ? options.influx : options.pushgateway) =
                          ServerUrl(optarg))) {
                    result.error =
                        std::string("invalid server URL '") + optarg + "' (http:// or https://)";
                    return result;
                }
                break;
            case kAlertBelow: {
                double megabits = 0;
                if (!ReadNumber(optarg, 0, HUGE_VAL, megabits) || megabits <= 0) {
                    result.error =
                        std::string("invalid rate '") + optarg + "' (Mbit/s, more than 0)";
                    return result;
                }
                options.alertBelow = megabits;
                break;
            }
            case kAlertAfter:
                if (!ReadCount(optarg, 1, kMostTests, count)) {
                    result.error = std::string("invalid number of tests '") + optarg + "' (1 to " +
                                   std::to_string(kMostTests) + ")";
                    return result;
                }
                options.alertAfter = static_cast<unsigned>(count);
                break;
            case kExportFailureStatus:
                options.exportFailureStatus = true;
                break;
            default:  // '?': getopt_long has said what is wrong
                result.error = messages.take();
                return result;
        }
    }
    if (optind < argc) {
        options.url = argv[optind];
    }
    if (optind + 1 < argc) {
        result.error = std::string("extra operand '") + argv[optind + 1] + "'";
        return result;
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
           "it in the working folder, time it and append a report block to\n" +
           TestReport::fileName +
           " there. The test is the one the Corvanite dialog runs (the\n"
           "dialog tests http:// and ftp:// only). Every test is also added to the history,\n" +
           HistoryFileName +
           " in the same folder, as the dialog's are. The working folder\n"
           "is this program's folder when you can write it and it is not a bin folder, else\n"
           "$XDG_DATA_HOME/corvanite (by default ~/.local/share/corvanite).\n"
           "\n"
           "With no URL, test the first entry of " +
           UrlListFileName +
           ", or of the built-in list when\n"
           "that file cannot be read. It is read from the program's folder; when the working\n"
           "folder is the data folder, from $XDG_CONFIG_HOME/corvanite (by default\n"
           "~/.config/corvanite) first.\n"
           "\n"
           "  -q, --quiet          show no progress while the test runs\n"
           "      --json           print the result as one JSON object instead of text, in\n"
           "                         the keys and units of the history's JSON and CSV\n"
           "      --repeat=N       run a series of N tests, then a summary of their rates\n"
           "                         (least, median, greatest)\n"
           "      --interval=SECONDS  start each test of the series SECONDS after the one\n"
           "                         before (at once when that one took longer); default 0\n"
           "      --discard        remove the downloaded file after each test\n"
           "      --connections=N  fetch the file on N connections at once (1 to 16), each\n"
           "                         a byte range of its own; default 1. A server that\n"
           "                         serves no ranges is tested on one connection\n"
           "      --no-latency     measure no latency: no round trips to the server before\n"
           "                         and during the download\n"
           "      --monitor        test each URL of the monitor list once, in its order:\n"
           "                         $XDG_CONFIG_HOME/corvanite/monitor-urls, one per line\n"
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
           "      --alert-after=N  alert only after N such tests in a row (default 1); without\n"
           "                         --alert-below, failed tests alone count\n"
           "      --export-failure-status  exit with status 75 when an export could not\n"
           "                         reach its place and the tests succeeded\n"
           "An export waits a few seconds at most; one that fails is told on standard error\n"
           "and leaves the test, its report and its history as they are.\n"
           "\n"
           "      --help           display this help and exit\n"
           "      --version        output version information and exit\n"
           "\n"
           "Progress goes to standard error: a bar on a terminal (at most ten redraws a\n"
           "second), else a line every five seconds, in the units of the result (kB, MB, GB\n"
           "of 1000 bytes; Mbit/s). The result goes to standard output: the status text, and\n"
           "for a finished test the report block, the result line and the precise figures.\n"
           "The rate is the bytes received over the total time, from asking for the URL to\n"
           "the last read, on a monotonic clock, in megabits per second (Mbit/s, 1000000\n"
           "bits) and megabytes per second (MB/s, 1000000 bytes). When a test fails, its\n"
           "cause is printed on standard error in words: what failed, against which server\n"
           "and port, or which proxy. A history that cannot be written is told once on\n"
           "standard error; the test and its report go on.\n"
           "\n"
           "Ctrl-C stops the test as the Cancel button does (and ends a series); a second\n"
           "Ctrl-C quits at once. SIGTERM and SIGHUP stop it as leaving the program does.\n"
           "\n"
           "Exit status (of a series: 0 when every test finished, else that of the last test\n"
           "that did not; 1 or 2 when a signal stopped it between two tests):\n" +
           ExitStatusSection();
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
