#pragma once

// One bandwidth test, run on a thread of its own.
struct TestRequest;

// Reads the request once at its start; posts the notifications to request->window and
// returns the TestOutcome that its finished notification carried.
unsigned TestWorker(const TestRequest* request);
