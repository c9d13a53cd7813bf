#pragma once

// The line under the progress bar. Showing a result, a click on it asks for the Results window;
// otherwise it lets the mouse through to the dialog, as the dialog's other texts do, so that a
// double-click there still opens the About box.
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

private:
    bool clickable_ = false;
    bool pressed_ = false;
};
