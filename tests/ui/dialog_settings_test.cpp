// The dialog's settings in its window menu: what each test is asked to do, kept for the next
// start of the program.
#include <string>
#include <vector>

#include <QAction>
#include <QDir>
#include <QMenu>

#include "tests/support/test_files.h"
#include "tests/ui/main_dialog_fixture.h"
#include "ui/dialog_settings.h"

namespace {

struct Asked {
    int connections;
    bool https;
    bool latency;
    bool operator==(const Asked&) const = default;
};

class Settings : public MainDialog {
protected:
    QAction* item(const char* name) const {
        auto* action = dialog_->windowMenu()->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(action, nullptr) << name;
        return action;
    }
    QAction* connections(int count) const {
        auto* menu = dialog_->windowMenu()->findChild<QMenu*>(QStringLiteral("connections"));
        for (QAction* action : menu->actions()) {
            if (action->data().toInt() == count) {
                return action;
            }
        }
        ADD_FAILURE() << count;
        return nullptr;
    }
    // What a test started now asks for, and what the menu shows checked.
    void expectAsked(const Asked& asked) {
        startTest();
        const TestRequest& request = starter_->requests.back();
        EXPECT_EQ((Asked{request.connections, request.allowHttps, request.measureLatency}), asked);
        EXPECT_TRUE(connections(asked.connections)->isChecked());
        EXPECT_EQ(item("testHttps")->isChecked(), asked.https);
        EXPECT_EQ(item("measureLatency")->isChecked(), asked.latency);
    }
};

TEST_F(Settings, AChoiceInTheMenuHoldsForTheNextStart) {
    // No settings yet: one connection, http and ftp only, latency measured.
    make();
    expectAsked({1, false, true});

    connections(4)->trigger();
    item("testHttps")->trigger();
    item("measureLatency")->trigger();
    EXPECT_FALSE(connections(1)->isChecked());
    EXPECT_EQ(DialogSettingsPath(),
              folder_.filePath("config/corvanite/corvanite.conf").toStdString());

    make();
    expectAsked({4, true, false});
    EXPECT_EQ(answers_.count(), 0u);
}

TEST_F(Settings, AValueNotOfferedReadsAsTheDefault) {
    QDir().mkpath(folder_.filePath("config/corvanite"));
    testsupport::writeFile(DialogSettingsPath(), "[dialog]\nconnections=3\nmeasureLatency=false\n");
    make();
    expectAsked({1, false, false});
}

TEST_F(Settings, AChoiceThatCannotBeSavedIsTold) {
    // A file where the settings' folder should be.
    testsupport::writeFile(folder_.filePath("config").toStdString(), "");
    make();
    item("testHttps")->trigger();
    ASSERT_EQ(answers_.count(), 1u);
    EXPECT_NE(answers_.calls()[0].text.find(DialogSettingsPath()), std::string::npos);
    // It holds all the same until the program ends.
    expectAsked({1, true, true});
}

}  // namespace
