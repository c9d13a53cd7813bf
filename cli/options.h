#pragma once

// The command line of corvanite-cli, read by glibc's getopt_long: options and the URL operand
// in any order, long options abbreviated to any unambiguous prefix, "--" ends the options, and
// --help or --version act as soon as they are met.
#include <optional>
#include <string>
#include <vector>

inline constexpr unsigned long kFewestConnections = 1;
inline constexpr unsigned long kMostConnections = 16;

struct CliOptions {
    bool help = false;
    bool version = false;
    bool json = false;
    bool quiet = false;
    // Print the history (of url only, when one is given) instead of testing.
    bool history = false;
    bool csv = false;  // the history as CSV
    // A series: this many tests, each started this many seconds after the one before (at once
    // when that one took longer).
    unsigned repeat = 1;
    double interval = 0;
    bool intervalGiven = false;
    // Remove the downloaded file after each test.
    bool discard = false;
    // Connections to fetch the file on at once.
    int connections = 1;
    // Time round trips to the server before and during the download.
    bool measureLatency = true;
    // Test each URL of the monitor list (frontend/working_folder.h) instead of one URL.
    bool monitor = false;
    // After each test: the metrics of the history's last tests to a node_exporter textfile
    // folder and a Pushgateway, the test to an InfluxDB write endpoint.
    std::optional<std::string> prometheusTextfile;
    std::optional<std::string> pushgateway;
    std::optional<std::string> influx;
    // An alert after alertAfter tests in a row of a URL below alertBelow Mbit/s or failed.
    std::optional<double> alertBelow;
    std::optional<unsigned> alertAfter;
    // An export that fails sets the exit status (when the tests themselves succeeded).
    bool exportFailureStatus = false;
    std::optional<std::string> url;
};

struct CliCommandLine {
    CliOptions options;
    // Empty when the command line can be used; otherwise what is wrong with it, in the words
    // GNU tools use ("unrecognized option '--x'"), without the program's name.
    std::string error;
};

// arguments: the command line without the program's own name.
CliCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText(const std::string& programName);
std::string VersionText();
// The two lines a usage error prints on standard error.
std::string UsageErrorText(const std::string& programName, const std::string& error);
