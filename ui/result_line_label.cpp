#include "ui/result_line_label.h"

#include <QFocusEvent>
#include <QKeyEvent>
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
        setFocusPolicy(Qt::StrongFocus);
    } else {
        unsetCursor();
        setToolTip(QString());
        // The focus moves on to the next tab stop rather than stay on a line that does nothing.
        if (hasFocus()) {
            focusNextChild();
        }
        setFocusPolicy(Qt::NoFocus);
        hovered_ = false;
    }
    showAsLink();
}

void ResultLineLabel::showAsLink() {
    QFont underlined = font();
    underlined.setUnderline(clickable_ && (hovered_ || hasFocus()));
    setFont(underlined);
}

void ResultLineLabel::keyPressEvent(QKeyEvent* event) {
    const bool activate = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                          event->key() == Qt::Key_Space;
    if (!clickable_ || !activate || event->modifiers() & ~Qt::KeypadModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    emit clicked();
}

void ResultLineLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    showAsLink();
    QLabel::enterEvent(event);
}

void ResultLineLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    showAsLink();
    QLabel::leaveEvent(event);
}

void ResultLineLabel::focusInEvent(QFocusEvent* event) {
    showAsLink();
    QLabel::focusInEvent(event);
}

void ResultLineLabel::focusOutEvent(QFocusEvent* event) {
    showAsLink();
    QLabel::focusOutEvent(event);
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
