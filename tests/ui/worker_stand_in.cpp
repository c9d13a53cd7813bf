// Linked only while the test worker is not part of the build: the dialog tests hand the
// dialog a starter of their own, so this worker never runs a test.
#include "bandwidth/test_request.h"
#include "bandwidth/test_worker.h"

std::atomic<int> CancelRequest{0};

unsigned TestWorker(const TestRequest* request) {
    PostMessageA(request->window, WM_DOWNLOAD_FINISHED, OutcomeUnsupportedService, 0);
    return OutcomeUnsupportedService;
}

void WaitForTestWorkers() {}
