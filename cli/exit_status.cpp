#include "cli/exit_status.h"

std::vector<ExitStatusMeaning> ExitStatusMeanings() {
    std::vector<ExitStatusMeaning> meanings;
    for (const OutcomeRow& row : OutcomeTable()) {
        meanings.push_back({row.exitStatus, row.exitMeaning});
    }
    meanings.insert(meanings.end(),
                    {
                        {ExitUsage, "The command line cannot be used."},
                        {ExitNoUrl, "There is no URL to test."},
                        {ExitInternal,
                         "The test could not be run, its result could not be written, or the "
                         "history could not be read."},
                        {ExitExportFailed,
                         "The tests succeeded and an export failed (only with "
                         "--export-failure-status)."},
                        {ExitInterrupted, "A second Ctrl-C quit at once."},
                    });
    return meanings;
}
