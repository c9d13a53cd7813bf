#include "frontend/outcome_table.h"

#include <array>

#include "bandwidth/request.h"
#include "frontend/string_table.h"

namespace {

// The exit status is the outcome itself, so that scripts can tell every ending apart.
constexpr std::array<OutcomeRow, 12> Rows{{
    {OutcomeFinished, IDS_FINISHED, OutcomeFinished,
     "The test finished and its report block was appended."},
    {OutcomeExitRequested, 0, OutcomeExitRequested, "The test was stopped by SIGTERM or SIGHUP."},
    {OutcomeCancelled, IDS_BROKEN_BY_USER, OutcomeCancelled, "The test was cancelled (Ctrl-C)."},
    {OutcomeOpenUrlException, IDS_OPEN_URL_EXCEPTION, OutcomeOpenUrlException,
     "The URL could not be opened."},
    {OutcomeUrlNotParsed, IDS_UNKNOWN_SERVICE, OutcomeUrlNotParsed, "The URL could not be parsed."},
    {OutcomeNoHttpLength, IDS_NO_HTTP_LENGTH, OutcomeNoHttpLength,
     "The HTTP server gave no file length."},
    {OutcomeFtpProbeFailed, IDS_FTP_CONNECT_ERROR, OutcomeFtpProbeFailed,
     "The FTP server could not be reached for the file's size."},
    {OutcomeUnsupportedService, IDS_UNSUPPORTED_SERVICE, OutcomeUnsupportedService,
     "The URL is neither http, https nor ftp."},
    {OutcomeNoFileName, IDS_NO_FILE_NAME, OutcomeNoFileName,
     "The URL names no file (its last segment has no '.')."},
    {OutcomeDestinationFailed, IDS_DESTINATION_FAILED, OutcomeDestinationFailed,
     "The downloaded file could not be created in the working folder."},
    {OutcomeReportFailed, IDS_REPORT_FAILED, OutcomeReportFailed,
     "The report file could not be opened."},
    {OutcomeNoRemoteFile, IDS_URL_NOT_PARSED, OutcomeNoRemoteFile, "Opening the URL gave no file."},
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
