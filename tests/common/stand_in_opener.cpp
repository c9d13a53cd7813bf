#include "tests/common/stand_in_opener.h"

#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

#include "platform/desktop/shell.h"
#include "tests/support/test_files.h"

StandInOpener::StandInOpener(int exitStatus) {
    const std::string script = folder_.file("xdg-open");
    // The status is read before the link is told, so a test that has seen the link may change
    // the status for the next run without racing this one.
    testsupport::writeFile(script, "#!/bin/sh\nstatus=$(cat \"" + folder_.file("status") +
                                       "\")\nprintf '%s\\n' \"$1\" >> \"" + folder_.file("opened") +
                                       "\"\nexit \"$status\"\n");
    chmod(script.c_str(), 0700);
    testsupport::writeFile(folder_.file("opened"), "");
    exitWith(exitStatus);
    const char* path = std::getenv("PATH");
    environment_.set("PATH", folder_.path() + ":" + (path != nullptr ? path : "/usr/bin:/bin"));
    SetShellOpener({});
}

StandInOpener::~StandInOpener() = default;

void StandInOpener::exitWith(int exitStatus) {
    testsupport::writeFile(folder_.file("status"), std::to_string(exitStatus) + "\n");
}

std::vector<std::string> StandInOpener::opened() const {
    std::istringstream lines(testsupport::readFile(folder_.file("opened")));
    std::vector<std::string> links;
    for (std::string line; std::getline(lines, line);)
        links.push_back(line);
    return links;
}
