#include "inet/internet_exception.h"

#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

TEST(InternetException, RaisingWithErrorZeroTakesTheLastErrorThere) {
    SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
    try {
        RaiseInternetError(42);
    } catch (CInternetException* e) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(e->m_dwError, ERROR_INTERNET_CANNOT_CONNECT);
        EXPECT_EQ(e->m_dwContext, 42u);
        EXPECT_TRUE(e->m_bAutoDelete);
        e->Delete();
    }
}

TEST(InternetException, CaughtAsItsBaseClasses) {
    try {
        RaiseInternetError(7, ERROR_INTERNET_TIMEOUT);
    } catch (CException* e) {
        auto* internet = dynamic_cast<CInternetException*>(e);
        ASSERT_NE(internet, nullptr);
        EXPECT_EQ(internet->m_dwError, ERROR_INTERNET_TIMEOUT);
        EXPECT_STREQ(e->GetRuntimeClassName(), "CInternetException");
        e->Delete();
    }
    try {
        RaiseInternetError(7, ERROR_INTERNET_TIMEOUT);
    } catch (CObject* o) {
        auto* e = dynamic_cast<CException*>(o);
        ASSERT_NE(e, nullptr);
        e->Delete();
    }
}

TEST(InternetException, MessageTexts) {
    const struct {
        DWORD error;
        const char* text;
    } rows[] = {
        {ERROR_INTERNET_TIMEOUT, "The operation timed out"},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, "The server name or address could not be resolved"},
        {ERROR_INTERNET_CANNOT_CONNECT, "A connection with the server could not be established"},
        {ERROR_INTERNET_CONNECTION_ABORTED,
         "The connection with the server was terminated abnormally"},
        {ERROR_HTTP_HEADER_NOT_FOUND, "The requested header was not found"},
        {ERROR_INVALID_HANDLE, "The handle is invalid."},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    };
    for (const auto& row : rows) {
        CInternetException e(row.error, 1);
        char text[512];
        UINT help = 99;
        EXPECT_TRUE(e.GetErrorMessage(text, sizeof(text), &help)) << row.error;
        EXPECT_STREQ(text, row.text);
        EXPECT_EQ(help, 0u);
        EXPECT_EQ(e.ErrorText(), row.text);
    }
}

TEST(InternetException, UnknownNumberHasNoText) {
    CInternetException e(99999, 1);
    char text[16] = "stale";
    EXPECT_FALSE(e.GetErrorMessage(text, sizeof(text)));
    EXPECT_STREQ(text, "");
    EXPECT_EQ(e.ErrorText(), "");
}

TEST(InternetException, TextIsCutToTheBuffer) {
    CInternetException e(ERROR_INTERNET_TIMEOUT, 1);
    char text[8];
    std::memset(text, 'x', sizeof(text));
    EXPECT_TRUE(e.GetErrorMessage(text, sizeof(text)));
    EXPECT_STREQ(text, "The ope");
    EXPECT_FALSE(e.GetErrorMessage(nullptr, 10));
    EXPECT_FALSE(e.GetErrorMessage(text, 0));
}

TEST(InternetException, ExtendedErrorWithoutAResponseKeepsTheFixedText) {
    // A fresh thread has heard no server yet.
    std::string text;
    std::thread([&] {
        text = CInternetException(ERROR_INTERNET_EXTENDED_ERROR, 1).ErrorText();
    }).join();
    EXPECT_EQ(text, "The server returned extended information");
}

}  // namespace
