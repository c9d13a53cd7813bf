#pragma once

// The help key: F1 with neither Shift, Ctrl nor Alt, pressed in a top-level dialog of the
// program, becomes the application's Help command. Message boxes keep their own keys.
#include <functional>

#include <QObject>

class HelpKeyFilter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpKeyFilter)

public:
    // Watches every event of the application until destroyed.
    explicit HelpKeyFilter(std::function<void()> help);
    ~HelpKeyFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> help_;
};
