#include "platform/internet/transfer_error_text.h"

#include <utility>

namespace {

thread_local std::string lastText;

}  // namespace

const std::string& lastTransferErrorText() {
    return lastText;
}

void setLastTransferErrorText(std::string text) {
    lastText = std::move(text);
}
