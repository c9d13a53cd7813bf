#include "frontend/outcome_table.h"

#include <array>

#include "bandwidth/request.h"
#include "frontend/string_table.h"

namespace {

// The exit status is the outcome itself, so that scripts can tell every ending apart.
constexpr std::array<OutcomeRow, 12> Rows{{
    {OutcomeFinished, IDS_FINISHED, OutcomeFinished},
    {OutcomeExitRequested, 0, OutcomeExitRequested},
    {OutcomeCancelled, IDS_BROKEN_BY_USER, OutcomeCancelled},
    {OutcomeOpenUrlException, IDS_OPEN_URL_EXCEPTION, OutcomeOpenUrlException},
    {OutcomeUrlNotParsed, IDS_UNKNOWN_SERVICE, OutcomeUrlNotParsed},
    {OutcomeNoHttpLength, IDS_NO_HTTP_LENGTH, OutcomeNoHttpLength},
    {OutcomeFtpProbeFailed, IDS_FTP_CONNECT_ERROR, OutcomeFtpProbeFailed},
    {OutcomeUnsupportedService, IDS_UNSUPPORTED_SERVICE, OutcomeUnsupportedService},
    {OutcomeNoFileName, IDS_NO_FILE_NAME, OutcomeNoFileName},
    {OutcomeDestinationFailed, IDS_DESTINATION_FAILED, OutcomeDestinationFailed},
    {OutcomeReportFailed, IDS_REPORT_FAILED, OutcomeReportFailed},
    {OutcomeNoRemoteFile, IDS_URL_NOT_PARSED, OutcomeNoRemoteFile},
}};

const OutcomeRow* RowOf(unsigned outcome) {
    for (const OutcomeRow& row : Rows) {
        if (row.outcome == outcome) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const OutcomeRow> OutcomeTable() {
    return Rows;
}

std::string OutcomeText(unsigned outcome) {
    const OutcomeRow* row = RowOf(outcome);
    return row != nullptr && row->textId != 0 ? LoadString(row->textId) : std::string();
}

int ExitStatusOfOutcome(unsigned outcome) {
    const OutcomeRow* row = RowOf(outcome);
    return row != nullptr ? row->exitStatus : ExitUnknownOutcome;
}
