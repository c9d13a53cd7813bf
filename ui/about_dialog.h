#pragma once

// The small box that names the program and its version; a double-click on it starts a mail
// to the program's contact address.
#include <QDialog>

class AboutDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutDialog)

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The mail link that a double-click opens.
    static const char* MailLink();

public slots:
    void reject() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
