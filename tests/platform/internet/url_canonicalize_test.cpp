#include <string>

#include <gtest/gtest.h>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

std::string Canonical(const std::string& url, DWORD flags = ICU_BROWSER_MODE) {
    std::string buffer(4 * url.size() + 64, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!InternetCanonicalizeUrlA(url.c_str(), buffer.data(), &length, flags)) {
        ADD_FAILURE() << "canonicalising failed with " << GetLastError() << " for " << url;
        return {};
    }
    EXPECT_EQ(length, std::char_traits<char>::length(buffer.c_str()));
    buffer.resize(length);
    return buffer;
}

struct Row {
    const char* url;
    const char* canonical;
};

const Row browserRows[] = {
    {"http://host/a b", "http://host/a%20b"},
    {"http://host/a%20b", "http://host/a%20b"},
    {"http://host/100%", "http://host/100%"},
    {"http://host/a/./b/../c", "http://host/a/c"},
    {"http://host/a/b/..", "http://host/a/"},
    {"http://host/../../x", "http://host/x"},
    {"http://host/a/.hidden/..x", "http://host/a/.hidden/..x"},
    {"http://host/<>\"{}|\\^[]'", "http://host/%3C%3E%22%7B%7D%7C%5C%5E%5B%5D%27"},
    {"http://host/\x01\x1f\x7f\xc3\xa9", "http://host/%01%1F%7F%C3%A9"},
    {"http://host/p?a b<c>#x y", "http://host/p?a b<c>#x y"},
    {"http://host/p?a=%zz/../", "http://host/p?a=%zz/../"},
    {"http://host/p#frag ment/../", "http://host/p#frag ment/../"},
    {"http://host/p?q   ", "http://host/p?q   "},
    {"  http://host/p  \t", "http://host/p"},
    {"http://[::1]:8080/x", "http://[::1]:8080/x"},
    {"http://user:pw@host:0/x", "http://user:pw@host:0/x"},
    {"ftp://host/dir/file.bin", "ftp://host/dir/file.bin"},
    {"mailto:some one@example.com", "mailto:some%20one@example.com"},
    {"news:comp.lang.c", "news:comp.lang.c"},
    {"file:///tmp/a b/../c", "file:///tmp/c"},
    {"HTTP://Host/X", "HTTP://Host/X"},
    {"", ""},
    {"no scheme here", "no%20scheme%20here"},
};

TEST(UrlCanonicalize, BrowserModeRules) {
    for (const Row& row : browserRows) {
        EXPECT_EQ(Canonical(row.url), row.canonical) << "for " << row.url;
    }
}

TEST(UrlCanonicalize, OtherModesEncodeTheQueryToo) {
    EXPECT_EQ(Canonical("http://h/a b?c d#e f#g", 0), "http://h/a%20b?c%20d#e%20f%23g");
    EXPECT_EQ(Canonical("http://h/a b<>", ICU_ENCODE_SPACES_ONLY), "http://h/a%20b<>");
    EXPECT_EQ(Canonical("http://h/a b/./c", ICU_NO_ENCODE), "http://h/a b/c");
    EXPECT_EQ(Canonical("http://h/a/../c", ICU_NO_META), "http://h/a/../c");
    EXPECT_EQ(Canonical("http://h/100%", ICU_ENCODE_PERCENT), "http://h/100%25");
    EXPECT_EQ(Canonical("http://h/a%20b", ICU_DECODE | ICU_NO_ENCODE), "http://h/a b");
}

TEST(UrlCanonicalize, TooSmallBufferReportsTheLengthWithTheTerminator) {
    const std::string url = "http://host/a b";  // 17 characters once encoded
    char buffer[17];
    DWORD length = sizeof(buffer);
    SetLastError(0);
    EXPECT_FALSE(InternetCanonicalizeUrlA(url.c_str(), buffer, &length, ICU_BROWSER_MODE));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 18u);

    char larger[18];
    EXPECT_TRUE(InternetCanonicalizeUrlA(url.c_str(), larger, &length, ICU_BROWSER_MODE));
    EXPECT_EQ(length, 17u);
    EXPECT_STREQ(larger, "http://host/a%20b");

    DWORD asked = 0;
    EXPECT_FALSE(InternetCanonicalizeUrlA(url.c_str(), nullptr, &asked, ICU_BROWSER_MODE));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(asked, 18u);
}

TEST(UrlCanonicalize, AbsentArgumentsAreRefused) {
    char buffer[16];
    DWORD length = sizeof(buffer);
    EXPECT_FALSE(InternetCanonicalizeUrlA(nullptr, buffer, &length, ICU_BROWSER_MODE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(InternetCanonicalizeUrlA("http://h/", buffer, nullptr, ICU_BROWSER_MODE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(InternetCanonicalizeUrlA("http://h/", nullptr, &length, ICU_BROWSER_MODE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(UrlCanonicalize, LongHostileTextIsEncodedWhole) {
    std::string url = "http://h/";
    for (int i = 0; i < 10000; ++i) {
        url += static_cast<char>(1 + i % 255);
    }
    const std::string canonical = Canonical(url);
    ASSERT_FALSE(canonical.empty());
    EXPECT_TRUE(canonical.starts_with("http://h/%01%02"));
    // Everything before the fragment mark ("#", byte 35) is encoded, the rest is copied.
    const std::string extra = url.substr(url.find_first_of("?#"));
    EXPECT_TRUE(canonical.ends_with(extra));
    EXPECT_EQ(canonical.size() - extra.size(), 9 + 33 * 3 + 1u);  // "!" is safe
}

}  // namespace
