#pragma once

// The transfer library's own words for the calling thread's last failed transfer, kept beside
// the platform's error number, which says less ("cannot connect" where libcurl says to what and
// why).
#include <string>

// Empty when the thread's last transfer did not fail.
const std::string& lastTransferErrorText();
void setLastTransferErrorText(std::string text);
