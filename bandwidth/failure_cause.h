#pragma once

// Why a step of a test failed, in words for the user: the text a test's ending carries for
// outcomes 100, 106 and 107.
#include <string>

class CException;

// The platform's text of e and, where it has more to say, the transfer library's.
std::string CauseOf(const CException& e);

// The system's reason for error, a value of errno; a lock held elsewhere is said as such.
std::string SystemReason(int error);
