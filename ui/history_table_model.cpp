#include "ui/history_table_model.h"

#include <algorithm>
#include <cmath>

#include "bandwidth/request.h"
#include "frontend/outcome_table.h"
#include "frontend/result_line.h"
#include "ui/history_rows.h"
#include "ui/start_time.h"

namespace {

QString Text(const std::string& text) {
    return QString::fromLocal8Bit(text);
}

QString Optional(const std::optional<double>& value, std::string (*format)(double)) {
    return value ? Text(format(*value)) : QString();
}

// The report keeps whole seconds: such a total is marked, and one under a second shows as
// such, rather than as a precise figure the report never had.
QString WholeSecondsTotal(const HistoryRow& row) {
    if (!row.totalSeconds) {
        return QStringLiteral("<1 s*");
    }
    return QString::number(*row.totalSeconds, 'f', 0) + QStringLiteral(" s*");
}

QString OutcomeCell(unsigned outcome) {
    const std::string text = OutcomeText(outcome);
    if (!text.empty()) {
        return Text(text);
    }
    if (outcome == OutcomeExitRequested) {
        return QStringLiteral("Stopped: the program was closed.");
    }
    return QStringLiteral("Outcome %1").arg(outcome);
}

constexpr const char* WholeSecondsNote = "Imported from the report: whole seconds only";

}  // namespace

HistoryTableModel::HistoryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

HistoryTableModel::~HistoryTableModel() = default;

void HistoryTableModel::setRows(std::shared_ptr<const HistoryRows> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    select();
    endResetModel();
}

void HistoryTableModel::setUrlFilter(std::optional<std::string> url) {
    beginResetModel();
    urlFilter_ = std::move(url);
    select();
    endResetModel();
}

void HistoryTableModel::select() {
    selected_.clear();
    wholeSecondsInView_ = false;
    if (!rows_) {
        return;
    }
    std::optional<std::size_t> url;
    if (urlFilter_) {
        const auto& urls = rows_->urls();
        const auto found = std::find(urls.begin(), urls.end(), *urlFilter_);
        // A URL the history does not hold shows no rows.
        url = static_cast<std::size_t>(found - urls.begin());
    }
    if (!url) {
        selected_.reserve(rows_->size());
    }
    for (std::size_t i = 0; i < rows_->size(); ++i) {
        if (url && rows_->urlIndex(i) != *url) {
            continue;
        }
        selected_.push_back(static_cast<int>(i));
        wholeSecondsInView_ = wholeSecondsInView_ || rows_->wholeSeconds(i);
    }
}

HistoryRow HistoryTableModel::rowAt(int position) const {
    return rows_->row(static_cast<std::size_t>(selected_[position]));
}

std::vector<HistoryRow> HistoryTableModel::rowsInView() const {
    std::vector<HistoryRow> rows;
    rows.reserve(selected_.size());
    for (const int position : selected_) {
        rows.push_back(rows_->row(static_cast<std::size_t>(position)));
    }
    return rows;
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(selected_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString HistoryTableModel::cellText(const HistoryRow& row, int column) {
    switch (column) {
        case StartColumn: {
            const auto at = UtcMilliseconds(row.startUtc);
            return at ? LocalStartText(*at) : Text(row.startUtc);
        }
        case UrlColumn:
            return Text(row.url);
        case OutcomeColumn:
            return OutcomeCell(row.outcome);
        case SizeColumn:
            return Text(FormatDecimalSize(row.bytes));
        case FirstByteColumn:
            return Optional(row.firstByteSeconds, FormatShortDuration);
        case TotalTimeColumn:
            return row.wholeSeconds ? WholeSecondsTotal(row)
                                    : Optional(row.totalSeconds, FormatShortDuration);
        case MegabitsColumn:
            return Optional(row.megabitsPerSecond, FormatRateFigure);
        case MegabytesColumn:
            return row.megabitsPerSecond ? Text(FormatRateFigure(*row.megabitsPerSecond / 8))
                                         : QString();
        case LatencyIdleColumn:
            return Optional(row.latencyIdleSeconds, FormatLatencyDuration);
        case LatencyLoadedColumn:
            return Optional(row.latencyLoadedSeconds, FormatLatencyDuration);
        case ResponsivenessColumn:
            return row.responsivenessRpm ? QString::number(static_cast<long long>(
                                               std::lround(*row.responsivenessRpm)))
                                         : QString();
        case GradeColumn:
            return row.latencyGrade ? Text(*row.latencyGrade) : QString();
        case ServerColumn:
            return Text(row.serverAddress);
        case ProgramColumn:
            return Text(row.program);
        default:
            return {};
    }
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount) {
        return {};
    }
    const HistoryRow row = rowAt(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return cellText(row, index.column());
        case Qt::ToolTipRole:
            if (index.column() == SizeColumn) {
                return QStringLiteral("%1 bytes").arg(row.bytes);
            }
            if (index.column() == UrlColumn) {
                return Text(row.url);
            }
            if (row.wholeSeconds) {
                return QString::fromLatin1(WholeSecondsNote);
            }
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() >= SizeColumn && index.column() <= ResponsivenessColumn) {
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            }
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const Titles[ColumnCount] = {
        "Start", "URL",          "Outcome",        "Size", "First byte", "Total time", "Mbit/s",
        "MB/s",  "Idle latency", "Loaded latency", "RPM",  "Grade",      "Server",     "Program"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(Titles[section])
                                                 : QVariant();
}
