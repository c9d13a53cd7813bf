#pragma once

// What the Results window keeps besides its widgets, made without a display: one colour per
// URL for as long as the window is open, so that a line keeps its colour across refreshes and
// filters; the status line, which speaks of the rows in view and goes when they change; and
// the rate axis' labels, plain numbers.
#include <cstddef>
#include <map>
#include <string>

#include <QColor>
#include <QString>

class ResultsViewState {
public:
    // url's colour: the one it was first given, or the next unused one.
    QColor colourOf(const std::string& url);

    // The line under the table, empty for none.
    const QString& status() const { return status_; }
    // count rows written to path.
    void exported(std::size_t count, const std::string& path);
    // Other rows in view (a refresh, another URL, a failed export): the line no longer holds.
    void viewChanged() { status_.clear(); }

private:
    std::map<std::string, QColor> colours_;
    QString status_;
};

// The rate axis' label format (printf style) for ticks from 0 to top, tickCount of them: whole
// numbers, or as many decimals as the step between ticks needs; never an exponent.
QString RateLabelFormat(double top, int tickCount);
