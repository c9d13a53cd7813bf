#include "app/help_key_filter.h"

#include <utility>

#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>

HelpKeyFilter::HelpKeyFilter(std::function<void()> help) : help_(std::move(help)) {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
}

HelpKeyFilter::~HelpKeyFilter() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool HelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 ||
        (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) != 0)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr)
        return false;
    QWidget* window = widget->window();
    if (qobject_cast<QDialog*>(window) == nullptr || qobject_cast<QMessageBox*>(window) != nullptr)
        return false;
    help_();
    return true;
}
