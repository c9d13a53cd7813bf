#include "ui/test_dialog_logic.h"

#include <algorithm>

#include "bandwidth/test_request.h"
#include "ui/progress_range.h"
#include "ui/string_table.h"

namespace {

constexpr int GoOn = 0;
constexpr int LeaveProgram = 1;
constexpr int CancelTest = 2;

}  // namespace

std::string OutcomeText(unsigned outcome) {
    switch (outcome) {
        case OutcomeFinished:
            return LoadString(IDS_FINISHED);
        case OutcomeCancelled:
            return LoadString(IDS_BROKEN_BY_USER);
        case OutcomeOpenUrlException:
            return LoadString(IDS_OPEN_URL_EXCEPTION);
        case OutcomeUrlNotParsed:
            return LoadString(IDS_UNKNOWN_SERVICE);
        case OutcomeNoHttpLength:
            return LoadString(IDS_NO_HTTP_LENGTH);
        case OutcomeFtpProbeFailed:
            return LoadString(IDS_FTP_CONNECT_ERROR);
        case OutcomeUnsupportedService:
            return LoadString(IDS_UNSUPPORTED_SERVICE);
        case OutcomeNoFileName:
            return LoadString(IDS_NO_FILE_NAME);
        case OutcomeDestinationFailed:
            return LoadString(IDS_DESTINATION_FAILED);
        case OutcomeReportFailed:
            return LoadString(IDS_REPORT_FAILED);
        case OutcomeNoRemoteFile:
            return LoadString(IDS_URL_NOT_PARSED);
        default:
            return {};
    }
}

TestDialogLogic::TestDialogLogic(std::atomic<int>& cancelRequest) : cancelRequest_(cancelRequest) {}

void TestDialogLogic::testStarting() {
    cancelRequest_.store(GoOn);
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
    cancelRequest_.store(LeaveProgram);
    return false;
}

void TestDialogLogic::cancelConfirmed() {
    cancelRequest_.store(CancelTest);
}
