#include "monitoring/prometheus_text.h"

#include <algorithm>

#include "monitoring/number_text.h"
#include "monitoring/result_figures.h"

namespace {

constexpr const char* kPrefix = "corvanite_";

// Label values escape backslash, double quote and line feed; help texts the first and last.
std::string Escaped(const std::string& text, bool quote) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '"' && quote) {
            escaped += "\\\"";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string Labels(const std::string& url, unsigned outcome) {
    return "{url=\"" + Escaped(url, true) + "\",outcome=\"" + Escaped(OutcomeLabel(outcome), true) +
           "\"}";
}

struct Family {
    std::string name;
    std::string help;
    const char* type;
    std::string samples;
};

void Append(std::string& text, const Family& family) {
    if (family.samples.empty()) {
        return;
    }
    text += "# HELP " + family.name + " " + Escaped(family.help, false) + "\n";
    text += "# TYPE " + family.name + " " + family.type + "\n";
    text += family.samples;
}

}  // namespace

std::string FormatPrometheusText(const std::vector<HistoryRow>& latest,
                                 const std::vector<OutcomeCount>& counts) {
    // One family per figure, in the figures' order, each holding every URL that has it.
    std::vector<Family> figures;
    for (const HistoryRow& row : latest) {
        for (const TestFigure& figure : FiguresOfTest(row)) {
            const std::string name = kPrefix + std::string(figure.name);
            auto family = std::find_if(figures.begin(), figures.end(),
                                       [&name](const Family& f) { return f.name == name; });
            if (family == figures.end()) {
                figures.push_back(
                    {name, std::string(figure.help) + " Last test of each URL.", "gauge", {}});
                family = figures.end() - 1;
            }
            family->samples +=
                name + Labels(row.url, row.outcome) + " " +
                (figure.integer ? IntegerText(figure.value) : ShortestNumberText(figure.value)) +
                "\n";
        }
    }
    Family ended{std::string(kPrefix) + "last_test_timestamp_seconds",
                 "When the last test of each URL ended, in seconds since 1970.",
                 "gauge",
                 {}};
    for (const HistoryRow& row : latest) {
        if (const auto end = TestEndMilliseconds(row)) {
            ended.samples += ended.name + Labels(row.url, row.outcome) + " " +
                             ShortestNumberText(static_cast<double>(*end) / 1000) + "\n";
        }
    }
    Family total{std::string(kPrefix) + "tests_total",
                 "Tests of each URL in the history, by outcome.",
                 "counter",
                 {}};
    for (const OutcomeCount& count : counts) {
        total.samples += total.name + Labels(count.url, count.outcome) + " " +
                         std::to_string(count.tests) + "\n";
    }
    std::string text;
    for (const Family& family : figures) {
        Append(text, family);
    }
    Append(text, ended);
    Append(text, total);
    return text;
}
