#include "frontend/string_table.h"

#include <gtest/gtest.h>

namespace {

struct Entry {
    UINT id;
    const char* text;
};

constexpr Entry Table[] = {
    {101, "&About Corvanite..."},
    {102, "Downloading is broken by user."},
    {103, "Downloading finished."},
    {104, "Open URL Exception."},
    {105, "Unknown Internet Service Type. Check your URL."},
    {106, "Fails to get http file length."},
    {107, "Connecting to ftp server error! Check URL and your Internet Config!"},
    {108, "Sorry,this utility only supports http and ftp protocol!"},
    {109, "Test URL should be a URL for an Internet File to be downloaded!"},
    {110, "Opening Destination Fails."},
    {111, "Opening Report Fails."},
    {112, "URL Parsing is Unsuccessful!"},
    {113, "Test URL is NULL!"},
    {114, "Downloading..."},
    {115, "Connecting..."},
    {116, "Are you sure to exit?"},
    {117, "Are you sure to stop current downloading and exit?"},
    {118, "Are you sure to cancel current downloading?"},
};

TEST(StringTable, HoldsEveryTextByItsNumber) {
    for (const Entry& entry : Table) {
        EXPECT_EQ(LoadString(entry.id), entry.text) << entry.id;
    }
}

TEST(StringTable, NumbersOutsideTheTableAreEmpty) {
    for (UINT id : {0u, 100u, 119u, 128u, 0xFFFFFFFFu}) {
        EXPECT_EQ(LoadString(id), "") << id;
    }
}

}  // namespace
