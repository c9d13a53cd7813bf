// SplitUrl on any text: it never reads or writes out of bounds, and what it returns keeps
// the promises the test worker relies on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_check.h"
#include "inet/split_url.h"
#include "platform/last_error.h"
#include "platform/win_types.h"

namespace {

bool KnownServiceType(DWORD serviceType) {
    switch (serviceType) {
        case ServiceFtp:
        case ServiceGopher:
        case ServiceHttp:
        case ServiceHttps:
        case ServiceFile:
        case ServiceNews:
        case ServiceMailto:
        case ServiceUnknown:
            return true;
        default:
            return false;
    }
}

// The canonicalising call's length protocol: a buffer of the length it asks for is enough,
// and what it writes fits in it.
void CheckCanonicalizeLength(const char* url) {
    char small[8];
    DWORD length = sizeof(small);
    if (InternetCanonicalizeUrlA(url, small, &length, ICU_BROWSER_MODE)) {
        FUZZ_CHECK(std::strlen(small) < sizeof(small));
        return;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return;
    }
    FUZZ_CHECK(length > sizeof(small));
    // No more than the platform asked for, so that an overrun shows.
    auto buffer = std::make_unique<char[]>(length);
    DWORD given = length;
    FUZZ_CHECK(InternetCanonicalizeUrlA(url, buffer.get(), &given, ICU_BROWSER_MODE));
    FUZZ_CHECK(std::strlen(buffer.get()) < length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The program's URL texts are C strings: the text ends at the first NUL.
    // An empty input may come without any storage.
    const std::string url = size == 0
                                ? std::string()
                                : std::string(reinterpret_cast<const char*>(data),
                                              strnlen(reinterpret_cast<const char*>(data), size));

    DWORD serviceType = 0;
    std::string server;
    std::string object;
    INTERNET_PORT port = 0;
    const bool split = SplitUrl(url.c_str(), serviceType, server, object, port);

    FUZZ_CHECK(KnownServiceType(serviceType));
    if (!split) {
        FUZZ_CHECK(serviceType == ServiceUnknown);
    } else {
        // The room given for each component, without its terminator.
        FUZZ_CHECK(server.size() <= INTERNET_MAX_URL_LENGTH);
        FUZZ_CHECK(object.size() <= INTERNET_MAX_URL_LENGTH);
        FUZZ_CHECK(server.find('\0') == std::string::npos);
        FUZZ_CHECK(object.find('\0') == std::string::npos);
        // A host name never carries a line end. (The object may: the query part is kept as
        // typed, and the Internet layer refuses to send it; the fault tests check that.)
        FUZZ_CHECK(server.find_first_of("\r\n") == std::string::npos);
    }

    // A second parse of the same text gives the same answer: no state is kept between calls.
    DWORD again = 0;
    std::string server2;
    std::string object2;
    INTERNET_PORT port2 = port;
    FUZZ_CHECK(SplitUrl(url.c_str(), again, server2, object2, port2) == split);
    FUZZ_CHECK(again == serviceType);
    if (split) {
        FUZZ_CHECK(server2 == server && object2 == object && port2 == port);
    }

    CheckCanonicalizeLength(url.c_str());
    return 0;
}
