#pragma once

// The platform's message texts for the error numbers the Internet layer can meet.
#include "platform/win_types.h"

// The text of an Internet error (12000 and up) or a system error; nullptr when the number
// has none.
const char* InternetErrorMessage(DWORD error);
