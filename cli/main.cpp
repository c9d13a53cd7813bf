// corvanite-cli: the bandwidth test of the Corvanite dialog, run from a command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/exit_status.h"
#include "cli/options.h"

int main(int argc, char** argv) {
    const std::string invoked = argc > 0 && argv[0] != nullptr ? argv[0] : "corvanite-cli";
    const std::string programName = invoked.substr(invoked.rfind('/') + 1);
    const CliCommandLine commandLine =
        ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (!commandLine.error.empty()) {
        std::fputs(UsageErrorText(programName, commandLine.error).c_str(), stderr);
        return ExitUsage;
    }
    if (commandLine.options.help) {
        std::fputs(HelpText(programName).c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : ExitInternal;
    }
    if (commandLine.options.version) {
        std::fputs(VersionText().c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : ExitInternal;
    }
    return RunCli(commandLine.options, programName);
}
