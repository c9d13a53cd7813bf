#include "monitoring/alert_rule.h"

#include <cstdio>
#include <vector>

#include "bandwidth/request.h"
#include "frontend/outcome_table.h"
#include "history/history_reader.h"

namespace {

// A run longer than this is told as this long.
constexpr std::size_t kLongestRun = 100000;

bool Counts(const HistoryRow& row) {
    return row.outcome != OutcomeCancelled && row.outcome != OutcomeExitRequested;
}

bool Bad(const HistoryRow& row, const AlertRule& rule) {
    return row.outcome != OutcomeFinished || !row.megabitsPerSecond ||
           *row.megabitsPerSecond < rule.belowMegabits;
}

std::string Megabits(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f Mbit/s", value);
    return text;
}

// What the newest test came to, for the user.
std::string LastResult(const HistoryRow& row) {
    if (row.outcome == OutcomeFinished && row.megabitsPerSecond) {
        return Megabits(*row.megabitsPerSecond);
    }
    const std::string status = OutcomeText(row.outcome);
    return status.empty() ? "failed (outcome " + std::to_string(row.outcome) + ")"
                          : "failed: " + status;
}

// The rate as the user gave it: "50", "0.5", "1000000".
std::string Condition(const AlertRule& rule) {
    if (rule.belowMegabits <= 0) {
        return "failed";
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.15g", rule.belowMegabits);
    return "failed or below " + std::string(text) + " Mbit/s";
}

}  // namespace

std::optional<AlertDecision> DecideAlert(HistoryReader& history, const std::string& url,
                                         const AlertRule& rule) {
    // The newest test and the run of bad ones before it, up to the good test that began it.
    std::vector<HistoryRow> newest;
    const bool read = history.walkBack(url, [&](const HistoryRow& row) {
        if (Counts(row)) {
            newest.push_back(row);
        }
        return newest.size() < 2 || (Bad(newest.back(), rule) && newest.size() < kLongestRun);
    });
    if (!read) {
        return std::nullopt;
    }
    AlertDecision decision;
    if (newest.empty()) {
        return decision;
    }
    const HistoryRow& last = newest.front();
    const auto runFrom = [&](std::size_t first) {
        unsigned run = 0;
        for (std::size_t i = first; i < newest.size() && Bad(newest[i], rule); ++i) {
            ++run;
        }
        return run;
    };
    if (Bad(last, rule)) {
        decision.badInRow = runFrom(0);
        if (decision.badInRow != rule.after) {
            return decision;  // not yet, or told already
        }
        decision.change = AlertChange::Alert;
        decision.summary = "Download " + Condition(rule);
        decision.body = last.url + ": " + std::to_string(rule.after) +
                        (rule.after == 1 ? " test " : " tests in a row ") + Condition(rule) +
                        "; the last " + LastResult(last) + ".";
    } else {
        decision.badInRow = runFrom(1);
        if (decision.badInRow < rule.after) {
            return decision;
        }
        decision.change = AlertChange::Recovery;
        decision.summary = "Download recovered";
        decision.body = last.url + ": " + LastResult(last) + " after " +
                        std::to_string(decision.badInRow) +
                        (decision.badInRow == 1 ? " test " : " tests ") + Condition(rule) + ".";
    }
    decision.line =
        (decision.change == AlertChange::Alert ? "alert: " : "recovered: ") + decision.body;
    return decision;
}
