#include "platform/last_error.h"

#include <thread>

#include <gtest/gtest.h>

TEST(LastError, IsKeptPerThread) {
    SetLastError(ERROR_INVALID_HANDLE);
    DWORD seenByOther = 1;
    std::thread([&] { seenByOther = GetLastError(); }).join();
    EXPECT_EQ(seenByOther, ERROR_SUCCESS);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
