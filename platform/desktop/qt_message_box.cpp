#include "platform/desktop/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/desktop/desktop_window.h"
#include "platform/desktop/ui_thread.h"
#include "platform/last_error.h"

namespace {

// The buttons of each button set, the first the default.
QList<QMessageBox::StandardButton> ButtonsOf(UINT style) {
    if ((style & MB_TYPEMASK) == MB_YESNO)
        return {QMessageBox::Yes, QMessageBox::No};
    return {QMessageBox::Ok};
}

QMessageBox::Icon IconOf(UINT style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        default:
            return QMessageBox::NoIcon;
    }
}

int IdOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return 0;
    }
}

// The window the box really sits on: the owner, or the modal window open over it at this
// moment (its last active pop-up). An owner that has been destroyed meanwhile counts as none.
QWidget* ParentFor(QWidget* owner) {
    if (owner == nullptr || !QApplication::allWidgets().contains(owner))
        return nullptr;
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : owner;
}

int ShowBox(QWidget* owner, const std::string& text, const std::string& caption, UINT style) {
    QMessageBox box(ParentFor(owner));
    box.setWindowTitle(QString::fromLocal8Bit(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromLocal8Bit(text));
    box.setIcon(IconOf(style));
    const QList<QMessageBox::StandardButton> buttons = ButtonsOf(style);
    for (const QMessageBox::StandardButton button : buttons)
        box.addButton(button);
    box.setDefaultButton(buttons.front());
    // Modal to the whole application, which keeps the owner from taking input until the box
    // closes while the event loop goes on delivering posted messages.
    box.exec();
    return IdOf(box.standardButton(box.clickedButton()));
}

}  // namespace

int ShowQtMessageBox(const MessageBoxCall& call) {
    int result = 0;
    if (!RunOnUiThread(
            [&] { result = ShowBox(AsWidget(call.owner), call.text, call.caption, call.style); })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return result;
}

void UseQtMessageBoxes() {
    SetMessageBoxPresenter(ShowQtMessageBox);
}
