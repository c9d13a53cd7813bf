#pragma once

// What each outcome of a test comes to for the user: the status text the dialog shows and
// the exit status of corvanite-cli. One table, read by both.
#include <span>
#include <string>

#include "platform/win_types.h"

// The exit status of a run whose outcome is none of the table's (the worker has none such).
constexpr int ExitUnknownOutcome = 70;

struct OutcomeRow {
    unsigned outcome;
    UINT textId;     // 0: the outcome shows no text
    int exitStatus;  // corvanite-cli's exit status
    // What the exit status tells a user of corvanite-cli, one sentence: its help and manual
    // page list these.
    const char* exitMeaning;
};

// Every outcome the worker ends a test with, in ascending order.
std::span<const OutcomeRow> OutcomeTable();

// The status text of a finished test; empty for exit requested and for unknown outcomes.
std::string OutcomeText(unsigned outcome);

// The outcome's exit status; ExitUnknownOutcome for any other number.
int ExitStatusOfOutcome(unsigned outcome);
