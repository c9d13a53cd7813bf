#include "frontend/failure_cause.h"

#include "bandwidth/request.h"

std::string FailureCauseText(unsigned outcome, const std::string& cause) {
    switch (outcome) {
        case OutcomeFinished:
        case OutcomeExitRequested:
        case OutcomeCancelled:
            return {};
        default:
            break;
    }
    if (!cause.empty()) {
        return cause;
    }
    switch (outcome) {
        case OutcomeOpenUrlException:
            return "the URL could not be opened";
        case OutcomeUrlNotParsed:
            return "the URL could not be split into server and file";
        case OutcomeNoHttpLength:
            return "the server did not tell the file's length (no Content-Length header)";
        case OutcomeFtpProbeFailed:
            return "the FTP server could not be asked for the file's size";
        case OutcomeUnsupportedService:
            return "only http and ftp URLs can be tested";
        case OutcomeNoFileName:
            return "the URL does not end in a file name (a name with a \".\")";
        case OutcomeDestinationFailed:
            return "the file to download into could not be created";
        case OutcomeReportFailed:
            return "the report file could not be opened";
        case OutcomeNoRemoteFile:
            return "opening the URL gave nothing to read";
        default:
            return "the test failed";
    }
}
