#include "cli/exit_status.h"

#include "bandwidth/test_request.h"

int ExitStatusOfOutcome(unsigned outcome) {
    const bool known = outcome <= OutcomeCancelled ||
                       (outcome >= OutcomeOpenUrlException && outcome <= OutcomeNoRemoteFile);
    return known ? static_cast<int>(outcome) : ExitInternal;
}
