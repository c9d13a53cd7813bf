#pragma once

// Answers message boxes for a test so that none is ever shown, and records every box asked
// for. Installed for the object's lifetime; boxes may be asked for from any thread.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/message_box.h"

class MessageBoxAnswers {
public:
    // Boxes beyond the queued answers get defaultAnswer.
    explicit MessageBoxAnswers(int defaultAnswer = IDOK);
    ~MessageBoxAnswers();
    MessageBoxAnswers(const MessageBoxAnswers&) = delete;
    MessageBoxAnswers& operator=(const MessageBoxAnswers&) = delete;

    // The button that the next unanswered box returns.
    void answerNext(int button);

    std::vector<MessageBoxCall> calls() const;
    std::size_t count() const;
    // Waits until at least count boxes have been asked for.
    bool waitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

private:
    int answer(const MessageBoxCall& call);

    mutable std::mutex lock_;
    mutable std::condition_variable asked_;
    std::deque<int> answers_;
    std::vector<MessageBoxCall> calls_;
    int defaultAnswer_;
};
