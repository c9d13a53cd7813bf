#include "bandwidth/report_opening.h"

#include <cerrno>

#include <sys/stat.h>

#include "bandwidth/failure_cause.h"
#include "bandwidth/report.h"

ReportOpening OpenReport(TestReport& report, const std::string& directory) {
    const std::string path = directory + "/" + TestReport::fileName;
    ReportOpening opening;
    opening.opened = report.open(directory);
    if (!opening.opened) {
        opening.cause = "cannot open " + path + ": " + SystemReason(errno);
        return opening;
    }
    // Held by this test from now on: where its block will begin.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        opening.endBeforeTest = static_cast<std::uint64_t>(status.st_size);
    }
    return opening;
}
