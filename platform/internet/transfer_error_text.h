#pragma once

// What the transfer library knew of the calling thread's last failed transfer, kept beside the
// platform's error number, which says less ("cannot connect" where libcurl says to what and
// why, and whether a proxy stood in between).
#include <string>
#include <utility>

struct TransferFailure {
    // libcurl's own words ("Could not resolve host: nosuch.invalid").
    std::string text;
    // The system's reason a connection failed (errno), 0 when none.
    int systemError = 0;
    // The proxy the transfer went through, "host:port"; empty when it went direct.
    std::string proxy;
    // The proxy's answer to the request for a tunnel when it refused one, else 0.
    long proxyStatus = 0;
};

// Empty when the thread's last transfer did not fail.
const TransferFailure& lastTransferFailure();
void setLastTransferFailure(TransferFailure failure);

inline const std::string& lastTransferErrorText() {
    return lastTransferFailure().text;
}
inline void setLastTransferErrorText(std::string text) {
    TransferFailure failure;
    failure.text = std::move(text);
    setLastTransferFailure(std::move(failure));
}
