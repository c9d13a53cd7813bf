#pragma once

// Why a test failed, in words, as the dialog's line under the progress bar and corvanite-cli's
// standard error both tell it: the worker's cause where it gave one (the server, port or
// proxy and what went wrong), otherwise what the outcome itself means. Empty for a test that
// did not fail (finished, cancelled, left).
#include <string>

std::string FailureCauseText(unsigned outcome, const std::string& cause);
