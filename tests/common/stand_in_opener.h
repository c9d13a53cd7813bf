#pragma once

// A stand-in for xdg-open, first on PATH for the object's lifetime, that notes each link it
// is started with and exits with a status of the test's choosing. The shell launches for real
// meanwhile: no recording opener stands in its way.
#include <string>
#include <vector>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

class StandInOpener {
public:
    explicit StandInOpener(int exitStatus);
    ~StandInOpener();
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // The status of the runs from now on.
    void exitWith(int exitStatus);
    // The links it has been started with, oldest first.
    std::vector<std::string> opened() const;

private:
    testsupport::TempDir folder_;
    testsupport::ScopedEnvironment environment_;
};
