#pragma once

// The program's main window: pick or type a URL, run one bandwidth test on a worker thread,
// follow it on the status line, the progress bar and the line under it, cancel it, open the
// report, open the Results window.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "frontend/history_notice.h"
#include "platform/win_types.h"
#include "ui/dialog_settings.h"
#include "ui/main_dialog_logic.h"
#include "ui/result_line_logic.h"
#include "ui/worker_starter.h"

class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QtMessageTarget;
class ResultLineLabel;
class ResultsWindow;

class TestDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TestDialog)

public:
    struct Options {
        // Where the list file, the report and the downloads are; empty: the working folder
        // (frontend/working_folder.h).
        std::string programDirectory;
        // Empty: TestWorker on a detached thread.
        WorkerStarter startWorker;
    };

    explicit TestDialog(QWidget* parent = nullptr);
    explicit TestDialog(Options options, QWidget* parent = nullptr);
    ~TestDialog() override;

    // The handle that the worker posts its notifications to.
    HWND messageWindow() const { return messageWindow_; }
    const std::string& programDirectory() const { return programDirectory_; }
    bool idle() const { return logic_.idle(); }
    // The dialog's window menu, shown on the right mouse button, Shift+F10 and the menu key.
    QMenu* windowMenu() const { return windowMenu_; }
    // The Results window once it has been opened; none before.
    ResultsWindow* resultsWindow() const { return results_.get(); }

    // A command of the window menu: About, Results, minimise, close.
    void systemCommand(UINT command);

    void setVisible(bool visible) override;

public slots:
    // Escape, the close box, the window menu's Close: ask before leaving.
    void reject() override;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createControls();
    void createWindowMenu();
    // Connections, https and latency: check items that keep the user's choice.
    void addSettingsItems();
    void saveSettings();
    void loadUrlList();
    void showControls();

    void startTest();
    void confirmCancel();
    void openReport();
    void windowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void testFinished(unsigned outcome);
    void drawResultLine();
    void openResults();

    TestDialogLogic logic_;
    ResultLineLogic resultLine_;
    HistoryNotice historyNotice_;
    bool folderProblemTold_ = false;
    WorkerStarter startWorker_;
    std::string programDirectory_;
    DialogSettings settings_;
    std::vector<std::string> urlListFiles_;
    std::unique_ptr<QtMessageTarget> messages_;
    HWND messageWindow_ = 0;

    QPushButton* close_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* urlLabel_ = nullptr;
    QPushButton* test_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QComboBox* url_ = nullptr;
    QPushButton* viewReport_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    ResultLineLabel* result_ = nullptr;
    QTimer* resultTimer_ = nullptr;
    std::unique_ptr<ResultsWindow> results_;
};
