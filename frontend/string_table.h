#pragma once

// The user-visible texts of the program, by number.
#include <string>

#include "platform/win_types.h"

constexpr UINT IDS_ABOUTBOX = 101;
constexpr UINT IDS_BROKEN_BY_USER = 102;
constexpr UINT IDS_FINISHED = 103;
constexpr UINT IDS_OPEN_URL_EXCEPTION = 104;
constexpr UINT IDS_UNKNOWN_SERVICE = 105;
constexpr UINT IDS_NO_HTTP_LENGTH = 106;
constexpr UINT IDS_FTP_CONNECT_ERROR = 107;
constexpr UINT IDS_UNSUPPORTED_SERVICE = 108;
constexpr UINT IDS_NO_FILE_NAME = 109;
constexpr UINT IDS_DESTINATION_FAILED = 110;
constexpr UINT IDS_REPORT_FAILED = 111;
constexpr UINT IDS_URL_NOT_PARSED = 112;
constexpr UINT IDS_URL_EMPTY = 113;
constexpr UINT IDS_DOWNLOADING = 114;
constexpr UINT IDS_CONNECTING = 115;
constexpr UINT IDS_EXIT_QUESTION = 116;
constexpr UINT IDS_STOP_AND_EXIT_QUESTION = 117;
constexpr UINT IDS_CANCEL_QUESTION = 118;

// The text with that number; empty for a number the table does not hold.
std::string LoadString(UINT id);
