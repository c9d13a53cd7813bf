#include "ui/about_dialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/desktop/desktop_window.h"
#include "platform/desktop/shell.h"
#include "services/app_services.h"
#include "ui/app_icon.h"
#include "ui/dialog_units.h"

namespace {

QLabel* AddText(QWidget* dialog, const DialogUnits& units, const char* text, QRect rect) {
    auto* label = new QLabel(QString::fromLocal8Bit(text), dialog);
    // Shown as written: an ampersand is no mnemonic here.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Left-aligned static texts break long lines at word boundaries.
    label->setWordWrap(true);
    // Clicks go through the texts to the dialog, whose double-click opens the mail link.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setGeometry(units.rect(rect.x(), rect.y(), rect.width(), rect.height()));
    return label;
}

}  // namespace

const char* AboutDialog::MailLink() {
    return "mailto:corvanite@example.com?subject=About Corvanite";
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent ? parent : AsWidget(MainWindow()),
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Corvanite"));
    setFont(DialogUnits::dialogFont());
    const DialogUnits units(font());
    setFixedSize(units.size(235, 63));

    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIconPixmap());
    icon->setAttribute(Qt::WA_TransparentForMouseEvents);
    icon->move(units.x(11), units.y(17));
    icon->resize(icon->sizeHint());

    AddText(this, units, "Corvanite Version 2.0", QRect(40, 10, 119, 8));
    AddText(this, units, "Copyright (C) 2026 Brellwick", QRect(40, 25, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.rect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &AboutDialog::accept);

    AddText(this, units, "Double-click to mail us.", QRect(41, 39, 86, 13));
    ok->setFocus();
}

// Escape, the close box and the window menu's Close end the run with 2, as OK gives 1.
void AboutDialog::reject() {
    done(2);
}

void AboutDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        ShellExecuteA(0, nullptr, MailLink(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    QDialog::mouseDoubleClickEvent(event);
}
