#pragma once

// What the dialog tests share: the widget application, answers for every box, a record of
// what the shell was asked to open, a worker starter that records instead of starting, and
// a way to act on a modal window once it shows.
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "bandwidth/request.h"
#include "tests/common/message_box_answers.h"
#include "tests/common/qt_application.h"
#include "ui/worker_starter.h"

// Records the links the shell is asked to open; nothing is launched.
class ShellRecorder {
public:
    ShellRecorder();
    ~ShellRecorder();
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    const std::vector<std::string>& opened() const { return opened_; }
    // From now on every launch fails, as on a desktop with no application for the link.
    void failLaunches() { launches_ = false; }

private:
    std::vector<std::string> opened_;
    bool launches_ = true;
};

// Stands in for the worker thread: keeps a copy of each request handed over.
class RecordingStarter {
public:
    explicit RecordingStarter(bool threadAvailable = true) : threadAvailable_(threadAvailable) {}

    WorkerStarter starter() {
        return [this](const TestRequest* request) {
            requests.push_back(*request);
            return threadAvailable_;
        };
    }

    std::vector<TestRequest> requests;

private:
    bool threadAvailable_;
};

// Runs action on the first visible top-level widget of type Window once it shows (for
// instance inside a modal run), polling from the event loop until timeoutMs passes.
template <typename Window>
void WhenShown(std::function<void(Window*)> action, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto elapsed = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action, timeoutMs] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(window);
                return;
            }
        }
        if ((*elapsed += timer->interval()) > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

// Lets the event loop run until condition holds or timeoutMs passes.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    return QTest::qWaitFor(condition, timeoutMs);
}
