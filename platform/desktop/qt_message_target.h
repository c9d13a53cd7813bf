#pragma once

// Posted window messages for a Qt window: registers with the window registry, turns each
// posted message into a Qt event on its own thread and hands it to a handler there.
//
// A window owns one (as a child object, or a member) and passes window() to whoever posts:
//
//     messages_ = new QtMessageTarget(this, [this](UINT message, WPARAM wParam, LPARAM lParam) {
//         onPostedMessage(message, wParam, lParam);
//     });
//     request.window = messages_->window();
//
// The handler runs on the thread the target was created on (the user-interface thread), one
// message at a time in the order posted, also while a modal box or dialog of that thread is
// open. Before the handler is called the message is counted as taken (MessageTaken). Once
// the target is destroyed, posting to its handle fails and no queued message reaches the
// handler.
#include <functional>

#include <QObject>

#include "platform/window_messages.h"

class QtMessageTarget final : public QObject, public MessageTarget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QtMessageTarget)

public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit QtMessageTarget(QObject* parent, Handler handler);
    ~QtMessageTarget() override;

    HWND window() const { return window_; }

    void deliver(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    bool event(QEvent* event) override;

private:
    Handler handler_;
    HWND window_;
};
