#pragma once

// What the dialog and the test worker share: the request handed over before the worker
// starts, the stop request, the outcomes and the notifications.
#include <atomic>
#include <memory>
#include <string>

#include "platform/window_messages.h"

class TestEndingSlot;

struct TestRequest {
    HWND window = 0;  // where the notifications go
    std::string url;
    std::string programDirectory;
    // Which program runs the test, as the history names it: the dialog's ApplicationName or
    // "corvanite-cli".
    std::string programName{};
    // https:// URLs are tested like http:// ones; otherwise they end with
    // OutcomeUnsupportedService as every scheme but http and ftp does.
    bool allowHttps = false;
    // How many connections share the download.
    int connections = 1;
    // Round trips to the server on fresh connections before and during the download.
    bool measureLatency = true;
    // Where the worker leaves the test's ending before its finished notification; may be null.
    std::shared_ptr<TestEndingSlot> ending{};
};

// The stop request that the running worker polls: StopNone to go on, else the reason to stop,
// which becomes the test's outcome.
extern std::atomic<int> CancelRequest;

constexpr int StopNone = 0;
constexpr int StopExit = 1;    // the user is leaving the program
constexpr int StopCancel = 2;  // the user cancelled the test

enum TestOutcome : unsigned {
    OutcomeFinished = 0,
    OutcomeExitRequested = 1,
    OutcomeCancelled = 2,
    OutcomeOpenUrlException = 100,
    OutcomeUrlNotParsed = 101,
    OutcomeNoHttpLength = 102,
    OutcomeFtpProbeFailed = 103,
    OutcomeUnsupportedService = 104,
    OutcomeNoFileName = 105,
    OutcomeDestinationFailed = 106,
    OutcomeReportFailed = 107,
    OutcomeNoRemoteFile = 108,
};

constexpr UINT WM_DOWNLOAD_STARTED = WM_USER + 101;   // wParam: content length in bytes
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 102;  // wParam: blocks read so far
constexpr UINT WM_DOWNLOAD_FINISHED = WM_USER + 103;  // wParam: TestOutcome; the last message
