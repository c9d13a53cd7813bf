#include "platform/desktop/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/desktop/ui_thread.h"
#include "platform/last_error.h"

namespace {

constexpr UINT MB_DEFMASK = 0x00000F00;

// The buttons of each button set, in the order the platform numbers them for the default
// button bits.
QList<QMessageBox::StandardButton> ButtonsOf(UINT style) {
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return {QMessageBox::Ok, QMessageBox::Cancel};
        case MB_ABORTRETRYIGNORE:
            return {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore};
        case MB_YESNOCANCEL:
            return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        case MB_YESNO:
            return {QMessageBox::Yes, QMessageBox::No};
        case MB_RETRYCANCEL:
            return {QMessageBox::Retry, QMessageBox::Cancel};
        default:
            return {QMessageBox::Ok};
    }
}

QMessageBox::Icon IconOf(UINT style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONHAND:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONASTERISK:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int IdOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Cancel:
            return IDCANCEL;
        case QMessageBox::Abort:
            return IDABORT;
        case QMessageBox::Retry:
            return IDRETRY;
        case QMessageBox::Ignore:
            return IDIGNORE;
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
    const qsizetype defaultIndex = static_cast<qsizetype>((style & MB_DEFMASK) >> 8);
    box.setDefaultButton(buttons.value(defaultIndex < buttons.size() ? defaultIndex : 0));
    // Modal to the whole application, which keeps the owner from taking input until the box
    // closes while the event loop goes on delivering posted messages.
    box.exec();
    return IdOf(box.standardButton(box.clickedButton()));
}

}  // namespace

int ShowQtMessageBox(const MessageBoxCall& call) {
    int result = 0;
    if (!RunOnUiThread(
            [&] { result = ShowBox(call.owner, call.text, call.caption, call.style); })) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return result;
}

void UseQtMessageBoxes() {
    SetMessageBoxPresenter(ShowQtMessageBox);
}
