#include "monitoring/monitor_exports.h"

#include <cstdlib>
#include <functional>
#include <future>

#include "history/history_reader.h"
#include "monitoring/influx_line.h"
#include "monitoring/prometheus_text.h"
#include "monitoring/pushgateway.h"
#include "monitoring/textfile.h"
#include "platform/desktop_notification.h"
#include "platform/internet/http_post.h"

namespace {

constexpr const char* kPrometheusContentType = "text/plain; version=0.0.4; charset=utf-8";

void Notify(const AlertDecision& decision) {
    DesktopNotification notification;
    notification.appName = "Corvanite";
    notification.iconName = "corvanite";
    notification.summary = decision.summary;
    notification.body = decision.body;
    notification.urgent = decision.change == AlertChange::Alert;
    // Without a notification service the line on standard error is the alert.
    std::string ignored;
    ShowDesktopNotification(notification, ignored);
}

struct Upload {
    std::string server;  // for the user: "The Pushgateway", "InfluxDB at"
    HttpUpload request;
};

// Sends every upload at once, so that servers that do not answer cost one time-out, not one
// each.
void SendAll(const std::vector<Upload>& uploads, ExportResult& result) {
    std::vector<std::future<HttpUploadResult>> sending;
    for (const Upload& upload : uploads) {
        sending.push_back(
            std::async(std::launch::async, SendHttpUpload, std::cref(upload.request)));
    }
    for (std::size_t i = 0; i < uploads.size(); ++i) {
        const HttpUploadResult sent = sending[i].get();
        if (!sent.delivered) {
            result.lines.push_back(uploads[i].server + " " + uploads[i].request.url +
                                   " did not take the result: " + sent.problem +
                                   ". The test and its history stand.");
            result.failed = true;
        }
    }
}

}  // namespace

ExportResult ExportTest(const ExportSettings& settings, const std::string& historyPath,
                        const std::string& url) {
    ExportResult result;
    std::vector<Upload> uploads;
    HistoryReader history;
    const auto unreadable = [&] {
        result.lines.push_back("cannot export the test: " + history.problem());
        result.failed = true;
        return result;
    };
    if (!history.open(historyPath)) {
        return unreadable();
    }
    if (settings.alert) {
        const auto decision = DecideAlert(history, url, *settings.alert);
        if (!decision) {
            return unreadable();
        }
        if (decision->change != AlertChange::None) {
            result.lines.push_back(decision->line);
            Notify(*decision);
        }
    }
    if (settings.textfileDirectory || settings.pushgatewayUrl) {
        const std::vector<HistoryRow> latest = history.latestOfEachUrl();
        const std::vector<OutcomeCount> counts = history.outcomeCounts();
        if (!history.problem().empty()) {
            return unreadable();
        }
        const std::string text = FormatPrometheusText(latest, counts);
        if (settings.textfileDirectory) {
            if (const auto problem =
                    ReplaceTextfile(*settings.textfileDirectory, PrometheusTextfileName, text)) {
                result.lines.push_back(*problem);
                result.failed = true;
            }
        }
        if (settings.pushgatewayUrl) {
            uploads.push_back(
                {"The Pushgateway",
                 {.method = "PUT",
                  .url = PushgatewayGroupUrl(*settings.pushgatewayUrl, ThisHostName()),
                  .contentType = kPrometheusContentType,
                  .body = text,
                  .headers = {},
                  .timeout = settings.timeout}});
        }
    }
    if (settings.influxUrl) {
        std::string line;
        if (!history.walkBack(url, [&line](const HistoryRow& row) {
                line = FormatInfluxLine(row);
                return false;
            })) {
            return unreadable();
        }
        std::vector<std::string> headers;
        if (const char* token = std::getenv(InfluxTokenVariable); token && *token) {
            headers.push_back(std::string("Authorization: Token ") + token);
        }
        if (!line.empty()) {
            uploads.push_back({"InfluxDB at",
                               {.method = "POST",
                                .url = *settings.influxUrl,
                                .contentType = "text/plain; charset=utf-8",
                                .body = line,
                                .headers = headers,
                                .timeout = settings.timeout}});
        }
    }
    SendAll(uploads, result);
    return result;
}
