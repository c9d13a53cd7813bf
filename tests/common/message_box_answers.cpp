#include "tests/common/message_box_answers.h"

MessageBoxAnswers::MessageBoxAnswers(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
    SetMessageBoxAnswerer([this](const MessageBoxCall& call) { return answer(call); });
}

MessageBoxAnswers::~MessageBoxAnswers() {
    SetMessageBoxAnswerer({});
}

void MessageBoxAnswers::answerNext(int button) {
    std::lock_guard lock(lock_);
    answers_.push_back(button);
}

std::vector<MessageBoxCall> MessageBoxAnswers::calls() const {
    std::lock_guard lock(lock_);
    return calls_;
}

std::size_t MessageBoxAnswers::count() const {
    std::lock_guard lock(lock_);
    return calls_.size();
}

bool MessageBoxAnswers::waitForCount(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(lock_);
    return asked_.wait_for(lock, timeout, [&] { return calls_.size() >= count; });
}

int MessageBoxAnswers::answer(const MessageBoxCall& call) {
    int button = defaultAnswer_;
    {
        std::lock_guard lock(lock_);
        calls_.push_back(call);
        if (!answers_.empty()) {
            button = answers_.front();
            answers_.pop_front();
        }
    }
    asked_.notify_all();
    return button;
}
