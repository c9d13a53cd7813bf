#pragma once

// A test's place in the history beside the report: the history is made before the clock starts,
// so that the end of a test only adds its row; the row is made of the test's ending. Every way
// of running a test records it here, so that one test shows the same figures everywhere.
#include <string>

struct TestEnding;

// Makes the history in directory, with the report's blocks imported, when there is none.
void PrepareHistory(const std::string& directory);

// Adds the test that ended so to the history in directory, as run by programName, and notes in
// ending whether it was added and, when not, why. A history made now imports the report up to
// the test's own block, which its row stands for.
void RecordTestInHistory(const std::string& directory, const std::string& programName,
                         TestEnding& ending);
