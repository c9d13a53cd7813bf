#pragma once

// The result of a test as one JSON object on one line, for scripts, in the keys and decimal
// units of the history's JSON and CSV (corvanite-cli --history):
//   {"start_utc":"2026-12-08T16:05:09.123Z","url":"http://h/f.bin",
//    "final_url":"http://h/f.bin","outcome":0,
//    "status":"Downloading finished.","bytes":1048576,"first_byte_seconds":0.004,
//    "transfer_seconds":0.119,"total_seconds":0.123,"megabits_per_second":68.200,
//    "megabytes_per_second":8.525,"server_address":"127.0.0.1:8080",
//    "program":"corvanite-cli","cause":null,"report":"Internet Band Width..."}
// The rates are taken over total_seconds. Figures that a test did not produce (all of them
// but the start for a test that did not finish) are null; "cause" says why a failed test
// failed, in words.
#include <string>

struct TestResult;

// A JSON string literal, quotes included. Text that is not valid UTF-8 keeps each stray byte
// as the character of that number (Latin-1), so that the output is always valid JSON.
std::string JsonString(const std::string& text);

std::string FormatJsonResult(const TestResult& result);
