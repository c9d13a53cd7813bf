#pragma once

// When a URL's tests call for an alert: after `after` tests in a row that failed or came below
// `belowMegabits`, once, and once more when the next good test ends the run. The run is read
// from the history, so that it holds across separate program runs (a timer's). Cancelled
// tests are passed over: they say nothing about the connection.
#include <optional>
#include <string>

class HistoryReader;

struct AlertRule {
    double belowMegabits = 0;  // 0: failures only
    unsigned after = 1;
};

enum class AlertChange { None, Alert, Recovery };

struct AlertDecision {
    AlertChange change = AlertChange::None;
    unsigned badInRow = 0;  // for an alert, the run; for a recovery, the run it ended
    // The summary and body of the notification, and the one line for standard error.
    std::string summary;
    std::string body;
    std::string line;
};

// Looks at the newest tests of url (masked as the history keeps it). None when the history
// cannot be read.
std::optional<AlertDecision> DecideAlert(HistoryReader& history, const std::string& url,
                                         const AlertRule& rule);
