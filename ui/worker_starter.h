#pragma once

// How the main dialog puts a test on its own thread. Tests hand the dialog a starter of their
// own so that no real download runs.
#include <functional>

struct TestRequest;

// Starts the test for the request; false when no thread could be made for it.
using WorkerStarter = std::function<bool(const TestRequest* request)>;

// Runs TestWorker on a new thread that nobody waits for; the thread ends with the test.
bool StartDetachedTestWorker(const TestRequest* request);
