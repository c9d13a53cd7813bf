#pragma once

// The fixed texts of a report block, shared by the program that writes the block and those
// that read it back: a reader finds a figure by the label before it, so the two must agree to
// the space.
//
//   Internet Band Width Test Report
//                                  ------ Corvanite by Brellwick
//   (empty)
//   ===...===
//   Test DateTime:  2026-12-08 03:30:05
//   Test URL:       http://host/file
//   Bytes Received: 1048576.
//   Seconds Spaned: 4
//   Band Width:     256.00 KBytes/Seconds,  2048.00 K bps
//   ===...===
//   (empty)
//   (empty)
#include <string_view>

inline constexpr std::string_view ReportTitle = "Internet Band Width Test Report\n";
inline constexpr std::string_view ReportByline =
    "                               ------ Corvanite by Brellwick\n";
inline constexpr std::string_view ReportRule =
    "=================================================================================\n";

inline constexpr std::string_view ReportStampLabel = "Test DateTime:  ";
inline constexpr std::string_view ReportUrlLabel = "Test URL:       ";
inline constexpr std::string_view ReportBytesLabel = "Bytes Received: ";
// Ends the byte count.
inline constexpr char ReportBytesEnd = '.';
inline constexpr std::string_view ReportSecondsLabel = "Seconds Spaned: ";
// In place of the seconds when the test took less than one clock second.
inline constexpr std::string_view ReportUnderOneSecond = "< 1";
inline constexpr std::string_view ReportRateLabel = "Band Width:     ";

// The lines of one block, its empty ones included.
inline constexpr int ReportBlockLines = 12;
