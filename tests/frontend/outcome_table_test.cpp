#include "frontend/outcome_table.h"

#include <gtest/gtest.h>

namespace {

// The status line's text for every outcome, as users and scripts know them.
TEST(OutcomeTable, GivesEachOutcomeItsTextAndExitStatus) {
    const struct {
        unsigned outcome;
        const char* text;
        int exitStatus;
    } expected[] = {
        {0, "Downloading finished.", 0},
        {1, "", 1},
        {2, "Downloading is broken by user.", 2},
        {100, "Open URL Exception.", 100},
        {101, "Unknown Internet Service Type. Check your URL.", 101},
        {102, "Fails to get http file length.", 102},
        {103, "Connecting to ftp server error! Check URL and your Internet Config!", 103},
        {104, "Sorry,this utility only supports http and ftp protocol!", 104},
        {105, "Test URL should be a URL for an Internet File to be downloaded!", 105},
        {106, "Opening Destination Fails.", 106},
        {107, "Opening Report Fails.", 107},
        {108, "URL Parsing is Unsuccessful!", 108},
        {3, "", ExitUnknownOutcome},
        {50, "", ExitUnknownOutcome},
        {99, "", ExitUnknownOutcome},
        {109, "", ExitUnknownOutcome},
        {256, "", ExitUnknownOutcome},
        {0xFFFFFFFFu, "", ExitUnknownOutcome},
    };
    for (const auto& row : expected) {
        EXPECT_EQ(OutcomeText(row.outcome), row.text) << row.outcome;
        EXPECT_EQ(ExitStatusOfOutcome(row.outcome), row.exitStatus) << row.outcome;
    }
    EXPECT_EQ(OutcomeTable().size(), 12u);
}

}  // namespace
