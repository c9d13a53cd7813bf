#include "bandwidth/failure_cause.h"

#include <cerrno>
#include <cstring>

#include "framework/exception.h"
#include "inet/internet_exception.h"
#include "inet/internet_failure_text.h"
#include "inet/service_type.h"
#include "inet/split_url.h"

std::string CauseOf(const CException& e, const std::string& url) {
    const auto* internet = dynamic_cast<const CInternetException*>(&e);
    if (internet == nullptr) {
        return e.ErrorText();
    }
    DWORD service = ServiceUnknown;
    std::string server;
    std::string object;
    INTERNET_PORT port = 0;
    SplitUrl(url.c_str(), service, server, object, port);
    return InternetFailureText(InternetFailureOf(*internet, server, port));
}

std::string SystemReason(int error) {
    if (error == EWOULDBLOCK || error == EAGAIN) {
        return "another test or program is writing it";
    }
    return error != 0 ? std::strerror(error) : "unknown reason";
}
