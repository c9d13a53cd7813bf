#include "platform/desktop/ui_thread.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>

bool RunOnUiThread(const std::function<void()>& work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (qobject_cast<QApplication*>(application) == nullptr)
        return false;
    if (QThread::currentThread() == application->thread()) {
        work();
        return true;
    }
    return QMetaObject::invokeMethod(
        application, [&work] { work(); }, Qt::BlockingQueuedConnection);
}
