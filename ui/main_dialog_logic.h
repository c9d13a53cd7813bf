#pragma once

// What the main test dialog shows and decides, apart from the widgets that show it: the idle
// flag, the state of each control, the texts of the outcomes and the answers to the questions.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/win_types.h"

struct DialogControls {
    bool testEnabled = true;
    bool urlEnabled = true;
    bool closeVisible = true;
    bool cancelVisible = false;
    bool progressVisible = false;
    std::string status;
    int progressMaximum = 100;
    int progressPosition = 0;
};

class TestDialogLogic {
public:
    // cancelRequest is the stop request that the running worker polls.
    explicit TestDialogLogic(std::atomic<int>& cancelRequest);

    bool idle() const { return idle_; }
    const DialogControls& controls() const { return controls_; }

    // Test command, up to handing the request over: asks the worker to go on, leaves Idle,
    // clears the status and hides the progress bar.
    void testStarting();
    // Test command, once the worker is on its way.
    void testStarted();

    void downloadStarted(std::uint64_t contentLength);
    void progress(std::uint64_t blocksRead);

    // Back to Idle with the outcome's text. True when the dialog is to end (exit requested).
    bool testFinished(unsigned outcome);

    // The leave question: whether a test runs decides the wording.
    UINT leaveQuestion() const;
    // Yes to the leave question, with the idle flag read again now: true when the dialog ends
    // at once; otherwise the running worker is asked to stop and its outcome ends the dialog.
    bool leaveConfirmed();
    // Yes to the cancel question.
    void cancelConfirmed();

private:
    std::atomic<int>& cancelRequest_;
    bool idle_ = true;
    DialogControls controls_;
};
