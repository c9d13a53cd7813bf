#include "frontend/string_table.h"

#include <array>
#include <utility>

std::string LoadString(UINT id) {
    static constexpr std::array<std::pair<UINT, const char*>, 18> table{{
        {IDS_ABOUTBOX, "&About Corvanite..."},
        {IDS_BROKEN_BY_USER, "Downloading is broken by user."},
        {IDS_FINISHED, "Downloading finished."},
        {IDS_OPEN_URL_EXCEPTION, "Open URL Exception."},
        {IDS_UNKNOWN_SERVICE, "Unknown Internet Service Type. Check your URL."},
        {IDS_NO_HTTP_LENGTH, "Fails to get http file length."},
        {IDS_FTP_CONNECT_ERROR,
         "Connecting to ftp server error! Check URL and your Internet Config!"},
        {IDS_UNSUPPORTED_SERVICE, "Sorry,this utility only supports http and ftp protocol!"},
        {IDS_NO_FILE_NAME, "Test URL should be a URL for an Internet File to be downloaded!"},
        {IDS_DESTINATION_FAILED, "Opening Destination Fails."},
        {IDS_REPORT_FAILED, "Opening Report Fails."},
        {IDS_URL_NOT_PARSED, "URL Parsing is Unsuccessful!"},
        {IDS_URL_EMPTY, "Test URL is NULL!"},
        {IDS_DOWNLOADING, "Downloading..."},
        {IDS_CONNECTING, "Connecting..."},
        {IDS_EXIT_QUESTION, "Are you sure to exit?"},
        {IDS_STOP_AND_EXIT_QUESTION, "Are you sure to stop current downloading and exit?"},
        {IDS_CANCEL_QUESTION, "Are you sure to cancel current downloading?"},
    }};
    for (const auto& [number, text] : table) {
        if (number == id) {
            return text;
        }
    }
    return {};
}
