#include "bandwidth/report_opening.h"

#include <cerrno>

#include "bandwidth/failure_cause.h"
#include "bandwidth/report.h"

std::optional<std::string> OpenReport(TestReport& report, const std::string& directory) {
    if (report.open(directory)) {
        return std::nullopt;
    }
    return "cannot open " + directory + "/" + TestReport::fileName + ": " + SystemReason(errno);
}
