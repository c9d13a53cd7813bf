#include "bandwidth/failure_cause.h"

#include <cerrno>
#include <cstring>

#include "framework/exception.h"
#include "inet/internet_exception.h"

std::string CauseOf(const CException& e) {
    std::string cause = e.ErrorText();
    const auto* internet = dynamic_cast<const CInternetException*>(&e);
    if (internet != nullptr && !internet->m_strTransferDetail.empty()) {
        cause = cause.empty() ? internet->m_strTransferDetail
                              : cause + " (" + internet->m_strTransferDetail + ")";
    }
    if (cause.empty() && internet != nullptr) {
        cause = "Internet error " + std::to_string(internet->m_dwError);
    }
    return cause;
}

std::string SystemReason(int error) {
    if (error == EWOULDBLOCK || error == EAGAIN) {
        return "another test or program is writing it";
    }
    return error != 0 ? std::strerror(error) : "unknown reason";
}
