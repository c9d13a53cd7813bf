#pragma once

// The Results window's table: the history's rows as the window shows them, newest first, all
// of them or those of one URL. Made without a display; the view asks only for the rows on
// screen, so a hundred thousand rows cost no more than a screenful.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractTableModel>

#include "history/history_row.h"

class HistoryRows;

class HistoryTableModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HistoryTableModel)

public:
    enum Column {
        StartColumn,
        UrlColumn,
        OutcomeColumn,
        SizeColumn,
        FirstByteColumn,
        TotalTimeColumn,
        MegabitsColumn,
        MegabytesColumn,
        LatencyIdleColumn,
        LatencyLoadedColumn,
        ResponsivenessColumn,
        GradeColumn,
        ServerColumn,
        ProgramColumn,
        ColumnCount
    };

    explicit HistoryTableModel(QObject* parent = nullptr);
    ~HistoryTableModel() override;

    // The rows to show, in their order; shared, not copied. Null: none.
    void setRows(std::shared_ptr<const HistoryRows> rows);
    // Only the rows of url from now on; none: every row.
    void setUrlFilter(std::optional<std::string> url);
    const std::optional<std::string>& urlFilter() const { return urlFilter_; }

    // The row shown at a position of the table.
    HistoryRow rowAt(int position) const;
    // Every row in view, in the table's order.
    std::vector<HistoryRow> rowsInView() const;
    // Whether a row in view holds the report's whole-second figures.
    bool wholeSecondsInView() const { return wholeSecondsInView_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // What a cell shows.
    static QString cellText(const HistoryRow& row, int column);

private:
    void select();

    std::shared_ptr<const HistoryRows> rows_;
    std::optional<std::string> urlFilter_;
    // The positions in rows_ of the rows in view.
    std::vector<int> selected_;
    bool wholeSecondsInView_ = false;
};
