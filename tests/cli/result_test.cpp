#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "cli/json_result.h"
#include "cli/result.h"

namespace {

// A test whose latency was not measured.
constexpr const char* kNoLatency =
    ",\"latency_idle_seconds\":null,\"latency_idle_spread_seconds\":null,"
    "\"latency_loaded_seconds\":null,\"latency_loaded_p90_seconds\":null,"
    "\"latency_kernel_seconds\":null,\"latency_added_seconds\":null,"
    "\"responsiveness_rpm\":null,\"latency_grade\":null";

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

const char* const kBlock =
    "Internet Band Width Test Report\n"
    "                               ------ Corvanite by Brellwick\n"
    "\n"
    "=================================================================================\n"
    "Test DateTime:  2026-12-08 03:30:05\n"
    "Test URL:       http://h/f.bin\n"
    "Bytes Received: 1048576.\n"
    "Seconds Spaned: < 1\n"
    "Band Width:     > 1024.00 KBytes/Seconds,  8192.00 K bps\n"
    "=================================================================================\n"
    "\n"
    "\n";

TestResult Finished() {
    TestResult result;
    result.url = "http://h/f.bin";
    result.outcome = 0;
    result.status = "Downloading finished.";
    result.startUtc = "2026-12-08T02:30:05.250Z";
    result.bytes = 1048576;
    result.interval = milliseconds(250);
    result.firstByte = milliseconds(20);
    result.transfer = milliseconds(230);
    result.report = kBlock;
    result.resultLine = "33.6 Mbit/s (4.19 MB/s): 1.0 MB in 250 ms, first byte after 20 ms";
    result.serverAddress = "192.0.2.7:80";
    result.connectionsUsed = 1;
    result.phases.nameLookup = 0.00012;
    result.phases.connect = 0.00025;
    return result;
}

TEST(Rates, AreSpelledOutUnitsOfTheExactInterval) {
    // 1 MiB in a quarter of a second: 33.554432 Mbit/s.
    EXPECT_DOUBLE_EQ(MegabitsPerSecond(1048576, milliseconds(250)).value(), 33.554432);
    EXPECT_DOUBLE_EQ(MegabitsPerSecond(1000000, std::chrono::seconds(8)).value(), 1.0);
    EXPECT_FALSE(MegabitsPerSecond(1, nanoseconds(0)).has_value());
    EXPECT_FALSE(MegabitsPerSecond(1, nanoseconds(-5)).has_value());
    EXPECT_DOUBLE_EQ(MegabitsPerSecond(0, milliseconds(3)).value(), 0.0);
}

TEST(Rates, SecondsAreRoundedToTheMillisecond) {
    EXPECT_EQ(FormatSeconds(nanoseconds(0)), "0.000");
    EXPECT_EQ(FormatSeconds(nanoseconds(499999)), "0.000");
    EXPECT_EQ(FormatSeconds(nanoseconds(500000)), "0.001");
    EXPECT_EQ(FormatSeconds(nanoseconds(12345678901)), "12.346");
    EXPECT_EQ(FormatSeconds(std::chrono::seconds(3600)), "3600.000");
}

TEST(TextResult, AFinishedTestShowsStatusReportAndPreciseFigures) {
    EXPECT_EQ(FormatTextResult(Finished()),
              std::string("Downloading finished.\n\n") + kBlock +
                  "33.6 Mbit/s (4.19 MB/s): 1.0 MB in 250 ms, first byte after 20 ms\n"
                  "Precise figures:\n"
                  "  Bytes received:  1048576 bytes\n"
                  "  First byte:      0.020 seconds after asking for the URL\n"
                  "  Transfer time:   0.230 seconds from the first byte to the last read\n"
                  "  Total time:      0.250 seconds from asking for the URL to the last read "
                  "(monotonic clock)\n"
                  "  Rate:            33.55 megabits per second (Mbit/s)\n"
                  "                   4.19 megabytes per second (MB/s)\n"
                  "  Server:          192.0.2.7:80\n"
                  "  Name lookup:     0.120 ms\n"
                  "  Connecting:      0.250 ms\n");
}

TEST(TextResult, AFailedTestShowsOnlyItsStatus) {
    TestResult result;
    result.url = "http://h/f";
    result.outcome = 105;
    result.status = "Test URL should be a URL for an Internet File to be downloaded!";
    EXPECT_EQ(FormatTextResult(result),
              "Test URL should be a URL for an Internet File to be downloaded!\n");
    result.status.clear();
    EXPECT_EQ(FormatTextResult(result), "");
}

TEST(TextResult, ATooShortIntervalHasNoRate) {
    TestResult result = Finished();
    result.interval = nanoseconds(0);
    const std::string text = FormatTextResult(result);
    EXPECT_NE(text.find("  Rate:            not measurable"), std::string::npos) << text;
}

struct JsonCase {
    std::string text;
    std::string json;
};

TEST(JsonString, EscapesWhatJsonRequires) {
    for (const JsonCase& c : {
             JsonCase{"", "\"\""}, JsonCase{"plain ascii", "\"plain ascii\""},
             JsonCase{"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
             JsonCase{"line\r\nnext\ttab", "\"line\\r\\nnext\\ttab\""},
             JsonCase{std::string("nul\0bell\x07"
                                  "del\x7f",
                                  13),
                      "\"nul\\u0000bell\\u0007del\\u007f\""},
             JsonCase{"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",
                      "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80\""},
             // Stray bytes of another code page become their Latin-1 characters.
             JsonCase{"caf\xe9", "\"caf\\u00e9\""}, JsonCase{"\xc3", "\"\\u00c3\""},
             JsonCase{"\xc0\xaf", "\"\\u00c0\\u00af\""},                        // overlong "/"
             JsonCase{"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},             // a surrogate
             JsonCase{"\xf4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // past U+10FFFF
         }) {
        EXPECT_EQ(JsonString(c.text), c.json) << c.text;
    }
}

TEST(JsonResult, AFinishedTestHasEveryField) {
    EXPECT_EQ(FormatJsonResult(Finished()),
              "{\"start_utc\":\"2026-12-08T02:30:05.250Z\",\"url\":\"http://h/f.bin\","
              "\"final_url\":null,"
              "\"outcome\":0,\"status\":\"Downloading finished.\",\"bytes\":1048576,"
              "\"first_byte_seconds\":0.020,\"transfer_seconds\":0.230,\"total_seconds\":0.250,"
              "\"megabits_per_second\":33.554,\"megabytes_per_second\":4.194,"
              "\"server_address\":\"192.0.2.7:80\",\"program\":\"corvanite-cli\","
              "\"cause\":null,\"report\":" +
                  JsonString(kBlock) +
                  ",\"connections_requested\":1,\"connections_used\":1,"
                  "\"steady_megabits_per_second\":null,\"name_lookup_seconds\":0.000120,"
                  "\"connect_seconds\":0.000250,\"tls_seconds\":null" +
                  kNoLatency + "}\n");
}

TEST(JsonResult, FiguresATestDidNotProduceAreNull) {
    TestResult result;
    result.url = "ftp://h/x.pdf";
    result.outcome = 2;
    result.status = "Downloading is broken by user.";
    result.startUtc = "2026-12-08T03:30:05.250Z";
    EXPECT_EQ(FormatJsonResult(result),
              "{\"start_utc\":\"2026-12-08T03:30:05.250Z\",\"url\":\"ftp://h/x.pdf\","
              "\"final_url\":null,"
              "\"outcome\":2,\"status\":\"Downloading is broken by user.\",\"bytes\":null,"
              "\"first_byte_seconds\":null,\"transfer_seconds\":null,\"total_seconds\":null,"
              "\"megabits_per_second\":null,\"megabytes_per_second\":null,"
              "\"server_address\":null,\"program\":\"corvanite-cli\",\"cause\":null,"
              "\"report\":null,"
              "\"connections_requested\":1,\"connections_used\":null,"
              "\"steady_megabits_per_second\":null,\"name_lookup_seconds\":null,"
              "\"connect_seconds\":null,\"tls_seconds\":null" +
                  std::string(kNoLatency) + "}\n");
    result.outcome = 100;
    result.cause = "the server answered with HTTP status 404 Not Found";
    EXPECT_NE(FormatJsonResult(result).find(
                  "\"cause\":\"the server answered with HTTP status 404 Not Found\""),
              std::string::npos);
}

}  // namespace
