#pragma once

// The Results window: every test in the history, as a chart of the rate over time (one line
// per URL) above a table of the tests, for all URLs or one, with Export CSV. A window of its
// own beside the test dialog; the history is read when the window opens and when it is
// refreshed, on a thread of its own.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QSize>
#include <QWidget>

#include "ui/rate_series.h"
#include "ui/results_view_state.h"

class HistoryRows;
class HistoryTableModel;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;
struct HistorySnapshot;

class ResultsWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultsWindow)

public:
    // Asks where to save, suggesting a path; returns the path chosen, empty for none.
    using SaveFileChooser =
        std::function<std::string(QWidget* parent, const std::string& suggestedPath)>;

    // historyPath: the history shown; exportFolder: where Export CSV suggests its file.
    ResultsWindow(std::string historyPath, std::string exportFolder, QWidget* parent = nullptr);
    ~ResultsWindow() override;

    // In place of the desktop's file dialog.
    void setSaveFileChooser(SaveFileChooser chooser);

    // Shows the window in front; a window that was not open reads the history first.
    void open();
    // Reads the history again and shows it. A refresh asked for while one reads follows it.
    void refresh();
    // Whether a read is under way.
    bool reading() const { return reading_; }

    const HistoryTableModel& tableModel() const { return *tableModel_; }
    // The URLs of the chart's lines, in the legend's order.
    std::vector<std::string> chartedUrls() const;

    // Writes the rows in view to the CSV file the chooser gives.
    void exportCsv();

private:
    // Inside the free area of the screen in use, at most at the preferred size.
    void placeOnScreen();
    void startReading();
    void showSnapshot(HistorySnapshot snapshot);
    void showProblem(const QString& text);
    void filterChanged();
    void drawChart();
    void setColumnWidths();
    void showStatus();

    std::string historyPath_;
    std::string exportFolder_;
    SaveFileChooser chooser_;

    std::thread reader_;
    bool reading_ = false;
    bool readAgain_ = false;
    std::shared_ptr<const HistoryRows> rows_;
    std::vector<RateSeries> series_;
    ResultsViewState view_;
    QSize preferredSize_;
    bool placed_ = false;

    QComboBox* urlFilter_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QStackedWidget* chartArea_ = nullptr;
    QChartView* chartView_ = nullptr;
    QLabel* message_ = nullptr;
    QTableView* table_ = nullptr;
    HistoryTableModel* tableModel_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* exported_ = nullptr;
    QPushButton* export_ = nullptr;
};
