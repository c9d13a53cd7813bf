#include "bandwidth/history_recording.h"

#include "bandwidth/ending.h"
#include "bandwidth/report.h"
#include "history/history_store.h"
#include "history/utc_time.h"

void PrepareHistory(const std::string& directory) {
    CreateHistory(directory + "/" + HistoryFileName, {directory + "/" + TestReport::fileName, {}});
}

void RecordTestInHistory(const std::string& directory, const std::string& programName,
                         TestEnding& ending) {
    const TestMeasurement& measurement = ending.measurement;
    HistoryRow row;
    row.startUtc = UtcTimestamp(ending.startedAt);
    row.url = ending.url;
    row.outcome = ending.outcome;
    row.bytes = measurement.bytes;
    row.firstByteSeconds = TimeToFirstByteSeconds(measurement);
    row.transferSeconds = TransferSeconds(measurement);
    row.totalSeconds = TotalSeconds(measurement);
    row.megabitsPerSecond = RateMegabitsPerSecond(measurement);
    row.serverAddress = ending.serverAddress;
    row.finalUrl = ending.finalUrl;
    row.program = programName;
    row.connectionsRequested = measurement.connectionsRequested;
    row.connectionsUsed = measurement.connectionsUsed;
    row.steadyMegabitsPerSecond = SteadyRateMegabitsPerSecond(measurement);
    row.nameLookupSeconds = measurement.phases.nameLookup;
    row.connectSeconds = measurement.phases.connect;
    row.tlsSeconds = measurement.phases.tls;
    row.rateSamples = measurement.samples;
    const LatencyFigures& latency = ending.latency;
    row.latencyIdleSeconds = latency.idleSeconds;
    row.latencyIdleSpreadSeconds = latency.idleSpreadSeconds;
    row.latencyLoadedSeconds = latency.loadedSeconds;
    row.latencyLoaded90Seconds = latency.loaded90Seconds;
    row.latencyKernelSeconds = latency.kernelSeconds;
    row.responsivenessRpm = latency.responsivenessRpm;
    row.latencyGrade = latency.grade;
    const HistoryWrite written =
        RecordInHistory(directory + "/" + HistoryFileName, row,
                        {directory + "/" + TestReport::fileName, ending.reportOffset});
    ending.recorded = written.recorded;
    ending.historyProblem = written.problem;
}
