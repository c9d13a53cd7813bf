#include "monitoring/influx_line.h"

#include "monitoring/number_text.h"
#include "monitoring/result_figures.h"

namespace {

// Tag keys, tag values and field keys escape comma, equals sign and space with a backslash.
// A line end cannot be written at all, and a backslash before a separator would escape it: in
// a URL both go as they would in a URL, percent-encoded.
std::string EscapedKey(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') {
            escaped += "%5C";
        } else if (c == '\n') {
            escaped += "%0A";
        } else if (c == '\r') {
            escaped += "%0D";
        } else {
            if (c == ',' || c == '=' || c == ' ') {
                escaped += '\\';
            }
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

std::string FormatInfluxLine(const HistoryRow& row) {
    const auto start = TestStartMilliseconds(row);
    if (!start) {
        return {};
    }
    std::string line = "corvanite,url=" + EscapedKey(row.url) +
                       ",outcome=" + EscapedKey(OutcomeLabel(row.outcome)) + " ";
    line += "outcome_code=" + std::to_string(row.outcome) + "i";
    for (const TestFigure& figure : FiguresOfTest(row)) {
        line +=
            "," + EscapedKey(figure.name) + "=" +
            (figure.integer ? IntegerText(figure.value) + "i" : ShortestNumberText(figure.value));
    }
    line += " " + std::to_string(*start) + "000000\n";
    return line;
}
