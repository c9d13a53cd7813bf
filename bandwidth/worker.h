#pragma once

// One bandwidth test, run on a thread of its own.
struct TestRequest;

// Reads the request once at its start; posts the notifications to request->window and
// returns the TestOutcome that its finished notification carried.
unsigned TestWorker(const TestRequest* request);

// Blocks until every worker has closed its files and its session; the program calls it
// before it ends so that a report written at the last moment is not lost.
void WaitForTestWorkers();
