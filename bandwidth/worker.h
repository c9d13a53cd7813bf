#pragma once

// One bandwidth test, run on a thread of its own.
#include <chrono>

struct TestRequest;

// Reads the request once at its start; posts the notifications to request->window and
// returns the TestOutcome that its finished notification carried.
unsigned TestWorker(const TestRequest* request);

// Blocks until every worker has closed its files and its session, or until limit has passed;
// true when none runs any more. A worker has written and closed its files before it posts its
// finished notification: what may remain is closing its Internet session.
bool WaitForTestWorkers(std::chrono::milliseconds limit);
