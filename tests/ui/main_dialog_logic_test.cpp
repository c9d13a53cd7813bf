#include "ui/main_dialog_logic.h"

#include <vector>

#include <gtest/gtest.h>

#include "bandwidth/request.h"
#include "frontend/outcome_table.h"
#include "frontend/string_table.h"

namespace {

class Logic : public ::testing::Test {
protected:
    void start() {
        logic_.testStarting();
        logic_.testStarted();
    }

    std::atomic<int> cancel_{7};
    TestDialogLogic logic_{cancel_};
};

void ExpectIdle(const TestDialogLogic& logic) {
    EXPECT_TRUE(logic.idle());
    EXPECT_TRUE(logic.controls().testEnabled);
    EXPECT_TRUE(logic.controls().urlEnabled);
    EXPECT_TRUE(logic.controls().closeVisible);
    EXPECT_FALSE(logic.controls().cancelVisible);
}

void ExpectRunning(const TestDialogLogic& logic) {
    EXPECT_FALSE(logic.idle());
    EXPECT_FALSE(logic.controls().testEnabled);
    EXPECT_FALSE(logic.controls().urlEnabled);
    EXPECT_FALSE(logic.controls().closeVisible);
    EXPECT_TRUE(logic.controls().cancelVisible);
}

TEST_F(Logic, StartsIdleWithNothingShown) {
    ExpectIdle(logic_);
    EXPECT_EQ(logic_.controls().status, "");
    EXPECT_FALSE(logic_.controls().progressVisible);
}

TEST_F(Logic, TestRunsUntilItsOutcome) {
    start();
    ExpectRunning(logic_);
    EXPECT_EQ(cancel_.load(), 0);
    EXPECT_EQ(logic_.controls().status, "Connecting...");
    EXPECT_FALSE(logic_.controls().progressVisible);

    logic_.downloadStarted(1048576);
    ExpectRunning(logic_);
    EXPECT_EQ(logic_.controls().status, "Downloading...");
    EXPECT_TRUE(logic_.controls().progressVisible);
    EXPECT_EQ(logic_.controls().progressMaximum, 1025);
    logic_.progress(300);
    EXPECT_EQ(logic_.controls().progressPosition, 300);

    EXPECT_FALSE(logic_.testFinished(0));
    ExpectIdle(logic_);
    EXPECT_EQ(logic_.controls().status, "Downloading finished.");
    // The bar keeps its place and its last position.
    EXPECT_TRUE(logic_.controls().progressVisible);
    EXPECT_EQ(logic_.controls().progressPosition, 300);
}

TEST_F(Logic, EveryOutcomeShowsItsTextAndOnlyExitRequestedEndsTheDialog) {
    std::vector<unsigned> outcomes{3, 50, 99, 109, 0xFFFFFFFFu};
    for (const OutcomeRow& row : OutcomeTable()) {
        outcomes.push_back(row.outcome);
    }
    for (const unsigned outcome : outcomes) {
        start();
        EXPECT_EQ(logic_.testFinished(outcome), outcome == OutcomeExitRequested) << outcome;
        EXPECT_EQ(logic_.controls().status, OutcomeText(outcome)) << outcome;
        ExpectIdle(logic_);
    }
}

TEST_F(Logic, SecondTestHidesTheBarUntilItsDownloadStarts) {
    start();
    logic_.downloadStarted(4096);
    logic_.progress(5);
    logic_.testFinished(0);
    logic_.testStarting();
    EXPECT_FALSE(logic_.controls().progressVisible);
    EXPECT_EQ(logic_.controls().status, "");
    logic_.testStarted();
    EXPECT_FALSE(logic_.controls().progressVisible);
    logic_.downloadStarted(1024);
    EXPECT_TRUE(logic_.controls().progressVisible);
    EXPECT_EQ(logic_.controls().progressMaximum, 2);
    // Not reset, but held inside the smaller range.
    EXPECT_EQ(logic_.controls().progressPosition, 2);
}

TEST_F(Logic, LeavingWhileIdleEndsAtOnce) {
    EXPECT_EQ(logic_.leaveQuestion(), IDS_EXIT_QUESTION);
    EXPECT_TRUE(logic_.leaveConfirmed());
    EXPECT_EQ(cancel_.load(), 7);
}

TEST_F(Logic, LeavingDuringATestAsksTheWorkerToStop) {
    start();
    EXPECT_EQ(logic_.leaveQuestion(), IDS_STOP_AND_EXIT_QUESTION);
    EXPECT_FALSE(logic_.leaveConfirmed());
    EXPECT_EQ(cancel_.load(), 1);
    ExpectRunning(logic_);
    EXPECT_TRUE(logic_.testFinished(1));
    ExpectIdle(logic_);
}

TEST_F(Logic, LeaveAnsweredAfterTheTestEndedEndsAtOnce) {
    start();
    EXPECT_EQ(logic_.leaveQuestion(), IDS_STOP_AND_EXIT_QUESTION);
    logic_.testFinished(0);  // arrives while the question is open
    EXPECT_TRUE(logic_.leaveConfirmed());
    EXPECT_EQ(cancel_.load(), 0);
}

TEST_F(Logic, CancelAsksTheWorkerToStopAndWaitsForIt) {
    start();
    logic_.cancelConfirmed();
    EXPECT_EQ(cancel_.load(), 2);
    ExpectRunning(logic_);
    logic_.testFinished(2);
    EXPECT_EQ(logic_.controls().status, "Downloading is broken by user.");
    // A late Yes after the test ended is harmless: the next test sets it back.
    logic_.cancelConfirmed();
    logic_.testStarting();
    EXPECT_EQ(cancel_.load(), 0);
}

}  // namespace
