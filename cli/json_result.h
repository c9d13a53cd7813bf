#pragma once

// The result of a test as one JSON object on one line, for scripts:
//   {"url":"http://h/f.bin","final_url":"http://h/f.bin","outcome":0,
//    "status":"Downloading finished.","bytes":1048576,
//    "seconds":0.123,"kibibytes_per_second":8325.2,"megabits_per_second":68.2,
//    "megabytes_per_second":8.525,"first_byte_seconds":0.004,"transfer_seconds":0.119,
//    "server_address":"127.0.0.1:8080","cause":null,
//    "start_time":"2026-12-08T17:05:09.123+01:00","report":"Internet Band Width..."}
// "seconds" is the total time, over which the rates are taken. Figures that a test did not
// produce (all of them but the start time for a test that did not finish) are null; "cause"
// says why a failed test failed, in words.
#include <string>

struct TestResult;

// A JSON string literal, quotes included. Text that is not valid UTF-8 keeps each stray byte
// as the character of that number (Latin-1), so that the output is always valid JSON.
std::string JsonString(const std::string& text);

std::string FormatJsonResult(const TestResult& result);
