#include "platform/desktop/qt_message_target.h"

#include <utility>

#include <QCoreApplication>
#include <QEvent>

namespace {

class PostedMessageEvent final : public QEvent {
public:
    static QEvent::Type type() {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }

    PostedMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(type()), message(message), wParam(wParam), lParam(lParam) {}

    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
};

}  // namespace

QtMessageTarget::QtMessageTarget(QObject* parent, Handler handler)
    : QObject(parent), handler_(std::move(handler)), window_(RegisterWindow(this)) {}

QtMessageTarget::~QtMessageTarget() {
    // No delivery runs after this; events already queued go with the object.
    UnregisterWindow(window_);
}

void QtMessageTarget::deliver(UINT message, WPARAM wParam, LPARAM lParam) {
    QCoreApplication::postEvent(this, new PostedMessageEvent(message, wParam, lParam));
}

bool QtMessageTarget::event(QEvent* event) {
    if (event->type() != PostedMessageEvent::type())
        return QObject::event(event);
    const auto* posted = static_cast<PostedMessageEvent*>(event);
    MessageTaken(window_, posted->message);
    if (handler_)
        handler_(posted->message, posted->wParam, posted->lParam);
    return true;
}
