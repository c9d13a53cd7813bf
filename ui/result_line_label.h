#pragma once

// The line under the progress bar. Showing a result, it is a link to the Results window: a
// pointer and an underline under the mouse, a tab stop whose Enter or Space opens the window,
// as a click does. Otherwise it lets the mouse through to the dialog, as the dialog's other
// texts do, so that a double-click there still opens the About box, and the Tab key passes it.
#include <QLabel>

class ResultLineLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultLineLabel)

public:
    explicit ResultLineLabel(QWidget* parent = nullptr);

    // Whether a click opens the Results window.
    void setClickable(bool clickable);
    bool clickable() const { return clickable_; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Underlined while it is a link under the mouse or with the focus.
    void showAsLink();

    bool clickable_ = false;
    bool pressed_ = false;
    bool hovered_ = false;
};
