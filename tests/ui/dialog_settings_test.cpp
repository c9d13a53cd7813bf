// The dialog's settings in its window menu: what each test is asked to do, kept for the next
// start of the program.
#include <string>

#include <QAction>
#include <QMenu>

#include "tests/support/test_files.h"
#include "tests/ui/main_dialog_fixture.h"
#include "ui/dialog_settings.h"

namespace {

class Settings : public MainDialog {
protected:
    QAction* item(const QString& name) const {
        return dialog_->windowMenu()->findChild<QAction*>(name);
    }
    QAction* connections(int count) const { return item(QStringLiteral("%1").arg(count)); }
    // Connections, https, latency: what a test started now asks for, as the menu shows it.
    void expectAsked(int connections, bool https, bool latency) {
        startTest();
        const TestRequest& request = starter_->requests.back();
        EXPECT_EQ(request.connections, connections);
        EXPECT_EQ(request.allowHttps, https);
        EXPECT_EQ(request.measureLatency, latency);
        EXPECT_TRUE(this->connections(connections)->isChecked());
        EXPECT_EQ(item("testHttps")->isChecked(), https);
        EXPECT_EQ(item("measureLatency")->isChecked(), latency);
    }
};

TEST_F(Settings, AChoiceInTheMenuHoldsForTheNextStart) {
    // No settings yet: one connection, http and ftp only, latency measured.
    make();
    expectAsked(1, false, true);
    connections(4)->trigger();
    item("testHttps")->trigger();
    item("measureLatency")->trigger();
    EXPECT_FALSE(connections(1)->isChecked());
    EXPECT_EQ(DialogSettingsPath(),
              folder_.filePath("config/corvanite/corvanite.conf").toStdString());

    make();
    expectAsked(4, true, false);
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(Settings, AChoiceThatCannotBeSavedIsToldAndHoldsAllTheSame) {
    // A file where the settings' folder should be.
    testsupport::writeFile(folder_.filePath("config").toStdString(), "");
    make();
    item("testHttps")->trigger();
    ASSERT_EQ(answers_.count(), 1u);
    EXPECT_NE(answers_.calls()[0].text.find(DialogSettingsPath()), std::string::npos);
    expectAsked(1, true, true);
}

}  // namespace
