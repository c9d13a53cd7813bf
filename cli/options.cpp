#include "cli/options.h"

#include <array>

#include "cli/version_text.h"
#include "services/version.h"

namespace {

enum class LongOption { Help, Version, Json, Quiet };

struct LongOptionName {
    const char* name;
    LongOption option;
};

constexpr std::array<LongOptionName, 4> longOptions{{
    {"help", LongOption::Help},
    {"version", LongOption::Version},
    {"json", LongOption::Json},
    {"quiet", LongOption::Quiet},
}};

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
    }
}

// "--name" or "--name=value": an exact name wins, else the one option the prefix starts.
std::string ReadLongOption(const std::string& argument, CliOptions& options) {
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
    if (equals != std::string::npos) {
        return "option '--" + std::string(match->name) + "' doesn't allow an argument";
    }
    Apply(match->option, options);
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
    for (const std::string& argument : arguments) {
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (isOption && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (isOption) {
            result.error = argument[1] == '-' ? ReadLongOption(argument, options)
                                              : ReadShortOptions(argument, options);
            if (!result.error.empty() || options.help || options.version) {
                return result;
            }
            continue;
        }
        if (options.url) {
            result.error = "extra operand '" + argument + "'";
            return result;
        }
        options.url = argument;
    }
    return result;
}

std::string HelpText(const std::string& programName) {
    return "Usage: " + programName +
           " [OPTION]... [URL]\n"
           "Measure the download bandwidth with one test of URL, an http:// or ftp:// file,\n"
           "without a window: download the whole file once, bypassing every cache, save it\n"
           "in the working folder, time it and append a report block to BandWidth_TestRpt.txt\n"
           "there. The test is the one the Corvanite dialog runs. The working folder is this\n"
           "program's folder when you can write it and it is not a bin folder, else\n"
           "$XDG_DATA_HOME/corvanite (by default ~/.local/share/corvanite).\n"
           "\n"
           "With no URL, test the first entry of Corvanite.cfg, or of the built-in list when\n"
           "that file cannot be read. It is read from the program's folder; when the working\n"
           "folder is the data folder, from $XDG_CONFIG_HOME/corvanite (by default\n"
           "~/.config/corvanite) first.\n"
           "\n"
           "  -q, --quiet    show no progress while the test runs\n"
           "      --json     print the result as one JSON object instead of text\n"
           "      --help     display this help and exit\n"
           "      --version  output version information and exit\n"
           "\n"
           "Progress goes to standard error: a bar on a terminal (at most ten redraws a\n"
           "second), else a line every five seconds. The result goes to standard output: the\n"
           "status text, and for a finished test the report block and the timed interval on\n"
           "a monotonic clock with the rates in kibibytes per second (KiB/s, 1024 bytes) and\n"
           "megabits per second (Mbit/s, 1000000 bits).\n"
           "\n"
           "Ctrl-C stops the test as the Cancel button does; a second Ctrl-C quits at once.\n"
           "SIGTERM and SIGHUP stop it as leaving the program does.\n"
           "\n"
           "Exit status:\n"
           "   0  the test finished and its report was appended\n"
           "   1  the test was stopped by SIGTERM or SIGHUP\n"
           "   2  the test was cancelled (Ctrl-C)\n"
           " 100  the URL could not be opened\n"
           " 101  the URL could not be parsed\n"
           " 102  the HTTP server gave no file length\n"
           " 103  the FTP server could not be reached for the file's size\n"
           " 104  the URL is neither http nor ftp\n"
           " 105  the URL names no file (its last segment has no '.')\n"
           " 106  the downloaded file could not be created\n"
           " 107  the report file could not be opened\n"
           " 108  opening the URL gave no file\n"
           "  64  the command line cannot be used\n"
           "  65  there is no URL to test\n"
           "  70  the test could not be run, or its result could not be written\n"
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
