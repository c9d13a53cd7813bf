#include "framework/exception.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

std::mutex reporterLock;
CException::Reporter reporter;

// Copies text into a caller's buffer of maxChars characters, cut and terminated.
bool CopyOut(const std::string& message, char* text, UINT maxChars) {
    if (text == nullptr || maxChars == 0) {
        return false;
    }
    std::size_t n = std::min<std::size_t>(message.size(), maxChars - 1);
    std::memcpy(text, message.data(), n);
    text[n] = '\0';
    return true;
}

}  // namespace

void CException::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

bool CException::GetErrorMessage(char* text, UINT maxChars, UINT* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    CopyOut("", text, maxChars);
    return false;
}

std::string CException::ErrorText() const {
    char text[512];
    if (!GetErrorMessage(text, sizeof text)) {
        return "";
    }
    return text;
}

int CException::ReportError(UINT type, const char* noMessage) const {
    std::string text = ErrorText();
    if (text.empty()) {
        text = noMessage != nullptr ? noMessage : "No error message is available.";
    }
    Reporter report;
    {
        std::lock_guard<std::mutex> hold(reporterLock);
        report = reporter;
    }
    if (report) {
        return report(text, type);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
    return 1;
}

void CException::SetReporter(Reporter newReporter) {
    std::lock_guard<std::mutex> hold(reporterLock);
    reporter = std::move(newReporter);
}

bool CNotSupportedException::GetErrorMessage(char* text, UINT maxChars, UINT* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    return CopyOut("The operation is not supported.", text, maxChars);
}
