#pragma once

// Why a step of a test failed, in words for the user: the text a test's ending carries for
// outcomes 100, 103, 106 and 107.
#include <string>

class CException;

// Why an operation on url failed: for the Internet, what failed against which server and
// port or which proxy; for a local file, the platform's text.
std::string CauseOf(const CException& e, const std::string& url);

// The system's reason for error, a value of errno; a lock held elsewhere is said as such.
std::string SystemReason(int error);
