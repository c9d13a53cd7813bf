#pragma once

// Opening the report for a test that is about to download: where the test's block will begin,
// or why the report cannot be opened.
#include <cstdint>
#include <optional>
#include <string>

class TestReport;

struct ReportOpening {
    bool opened = false;
    // The report's size once this test holds it: where its block will begin. None when the
    // size cannot be read.
    std::optional<std::uint64_t> endBeforeTest;
    // When not opened: which file and the system's reason, in words.
    std::string cause;
};

// Opens report on the report file in directory.
ReportOpening OpenReport(TestReport& report, const std::string& directory);
