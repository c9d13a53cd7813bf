#include "ui/about_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSize>

#include "tests/ui/dialog_test_support.h"
#include "ui/dialog_units.h"

namespace {

class About : public ::testing::Test {
protected:
    About() { TestApplication(); }

    ShellRecorder shell_;
    MessageBoxAnswers answers_;
};

TEST_F(About, TemplateLayout) {
    AboutDialog about;
    about.show();
    const DialogUnits units(about.font());
    EXPECT_EQ(about.windowTitle(), "About Corvanite");
    EXPECT_EQ(about.size(), units.size(235, 63));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowMaximizeButtonHint);

    QStringList texts;
    bool hasIcon = false;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        if (!label->pixmap().isNull()) {
            hasIcon = true;
            EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
            EXPECT_EQ(label->pos(), QPoint(units.x(11), units.y(17)));
        } else {
            texts << label->text();
        }
        EXPECT_TRUE(label->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(texts.contains("Corvanite Version 2.0"));

    auto* ok = about.findChild<QPushButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->geometry(), units.rect(178, 7, 50, 14));
}

TEST_F(About, TextsFitTheirBoxes) {
    AboutDialog about;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        if (label->pixmap().isNull()) {
            const QRect needed = label->fontMetrics().boundingRect(
                label->rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, label->text());
            EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
            EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
        }
    }
}

TEST_F(About, ResultsOfTheWaysOut) {
    const struct {
        const char* way;
        std::function<void(AboutDialog*)> act;
        int result;
    } table[] = {
        {"OK button",
         [](AboutDialog* about) {
             QTest::mouseClick(about->findChild<QPushButton*>(), Qt::LeftButton);
         },
         1},
        {"Enter", [](AboutDialog* about) { QTest::keyClick(about, Qt::Key_Return); }, 1},
        {"Escape", [](AboutDialog* about) { QTest::keyClick(about, Qt::Key_Escape); }, 2},
        {"close box", [](AboutDialog* about) { about->close(); }, 2},
    };
    for (const auto& row : table) {
        AboutDialog about;
        WhenShown<AboutDialog>(row.act);
        EXPECT_EQ(about.exec(), row.result) << row.way;
    }
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(About, EachDoubleClickStartsAMailAndTheBoxStays) {
    AboutDialog about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, {}, QPoint(3, 3));
    // Through the version text, which lets clicks pass.
    const DialogUnits units(about.font());
    QTest::mouseDClick(about.windowHandle(), Qt::LeftButton, {}, QPoint(units.x(45), units.y(12)));
    ASSERT_TRUE(WaitUntil([&] { return shell_.opened().size() == 2; }));
    const std::string mail = "mailto:corvanite@example.com?subject=About Corvanite";
    EXPECT_EQ(AboutDialog::MailLink(), mail);
    for (const std::string& opened : shell_.opened()) {
        EXPECT_EQ(QUrl(QString::fromStdString(opened)), QUrl(QString::fromStdString(mail)));
    }
    EXPECT_TRUE(about.isVisible());
}

}  // namespace
