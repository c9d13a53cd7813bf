#pragma once

// Where a test saves its download: under the URL's last segment, in the program's folder. The
// name comes from the URL, so from whoever wrote it: it must not climb out of the folder, nor
// name one of the program's own files, which creating the destination would empty.
#include <string>

struct DestinationName {
    // OutcomeFinished when the test may go on and save to path; else the outcome that ends it
    // (OutcomeNoFileName, or OutcomeDestinationFailed with the reason in cause).
    unsigned outcome = 0;
    std::string path;
    std::string cause;
};

// The destination of the download of url (already without blanks around it) in directory.
DestinationName DestinationOf(const std::string& url, const std::string& directory);
