#include "platform/message_box.h"

#include <mutex>
#include <utility>

#include "platform/last_error.h"

namespace {

std::mutex boxLock;
std::function<int(const MessageBoxCall&)> answerer;
std::function<int(const MessageBoxCall&)> presenter;

// The answerer when there is one, else the presenter.
std::function<int(const MessageBoxCall&)> Shower() {
    std::lock_guard lock(boxLock);
    return answerer ? answerer : presenter;
}

}  // namespace

int MessageBoxA(DesktopWindow* owner, const std::string& text, const std::string& caption,
                UINT style) {
    const std::function<int(const MessageBoxCall&)> show = Shower();
    if (!show) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return show(MessageBoxCall{owner, text, caption, style});
}

void SetMessageBoxPresenter(std::function<int(const MessageBoxCall&)> newPresenter) {
    std::lock_guard lock(boxLock);
    presenter = std::move(newPresenter);
}

void SetMessageBoxAnswerer(std::function<int(const MessageBoxCall&)> newAnswerer) {
    std::lock_guard lock(boxLock);
    answerer = std::move(newAnswerer);
}
