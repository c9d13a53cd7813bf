#pragma once

// Opening the report for a test that is about to download, so that a report that cannot be
// written ends the test before its download rather than after it.
#include <optional>
#include <string>

class TestReport;

// Opens report on the report file in directory; none when opened, else which file and the
// system's reason, in words.
std::optional<std::string> OpenReport(TestReport& report, const std::string& directory);
