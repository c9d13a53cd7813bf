#include "ui/main_dialog_logic.h"

#include <algorithm>

#include "bandwidth/request.h"
#include "frontend/outcome_table.h"
#include "frontend/string_table.h"
#include "ui/progress_range.h"

TestDialogLogic::TestDialogLogic(std::atomic<int>& cancelRequest) : cancelRequest_(cancelRequest) {}

void TestDialogLogic::testStarting() {
    cancelRequest_.store(StopNone);
    idle_ = false;
    controls_.status.clear();
    controls_.progressVisible = false;
}

void TestDialogLogic::testStarted() {
    controls_.status = LoadString(IDS_CONNECTING);
    controls_.cancelVisible = true;
    controls_.closeVisible = false;
    controls_.testEnabled = false;
    controls_.urlEnabled = false;
}

void TestDialogLogic::downloadStarted(std::uint64_t contentLength) {
    controls_.status = LoadString(IDS_DOWNLOADING);
    controls_.progressVisible = true;
    controls_.progressMaximum = ProgressUpperBound(contentLength);
    // The position stays, held inside the new range as the progress bar holds it.
    controls_.progressPosition = std::min(controls_.progressPosition, controls_.progressMaximum);
}

void TestDialogLogic::progress(std::uint64_t blocksRead) {
    controls_.progressPosition = std::min(ProgressPosition(blocksRead), controls_.progressMaximum);
}

bool TestDialogLogic::testFinished(unsigned outcome) {
    controls_.status = OutcomeText(outcome);
    controls_.cancelVisible = false;
    controls_.closeVisible = true;
    controls_.testEnabled = true;
    controls_.urlEnabled = true;
    idle_ = true;
    return outcome == OutcomeExitRequested;
}

UINT TestDialogLogic::leaveQuestion() const {
    return idle_ ? IDS_EXIT_QUESTION : IDS_STOP_AND_EXIT_QUESTION;
}

bool TestDialogLogic::leaveConfirmed() {
    if (idle_) {
        return true;
    }
    cancelRequest_.store(StopExit);
    return false;
}

void TestDialogLogic::cancelConfirmed() {
    cancelRequest_.store(StopCancel);
}
