#include "ui/result_line_label.h"

#include <QMouseEvent>

ResultLineLabel::ResultLineLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ResultLineLabel::setClickable(bool clickable) {
    if (clickable == clickable_) {
        return;
    }
    clickable_ = clickable;
    pressed_ = false;
    setAttribute(Qt::WA_TransparentForMouseEvents, !clickable);
    if (clickable) {
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Show every result"));
    } else {
        unsetCursor();
        setToolTip(QString());
    }
}

void ResultLineLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void ResultLineLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // A press that slides off the line and is let go elsewhere is no click, as on a button.
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit clicked();
    }
}

void ResultLineLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // Its first click has opened the Results window; the second opens nothing more.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QLabel::mouseDoubleClickEvent(event);
}
