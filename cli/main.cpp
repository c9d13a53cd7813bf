// corvanite-cli: the bandwidth test of the Corvanite dialog, run from a command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
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
    if (commandLine.options.help || commandLine.options.version) {
        const std::string text = commandLine.options.help ? HelpText(programName) : VersionText();
        std::fputs(text.c_str(), stdout);
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "%s: write error: %s\n", programName.c_str(),
                         std::strerror(errno));
            return ExitInternal;
        }
        return 0;
    }
    return RunCli(commandLine.options, programName);
}
