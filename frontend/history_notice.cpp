#include "frontend/history_notice.h"

#include "bandwidth/ending.h"

std::optional<std::string> HistoryNotice::take(const TestEnding& ending) {
    if (ending.recorded || ending.historyProblem.empty() || told_) {
        return std::nullopt;
    }
    told_ = true;
    return ending.historyProblem;
}
