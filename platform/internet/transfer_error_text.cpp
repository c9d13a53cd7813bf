#include "platform/internet/transfer_error_text.h"

#include <utility>

namespace {

thread_local TransferFailure last;

}  // namespace

const TransferFailure& lastTransferFailure() {
    return last;
}

void setLastTransferFailure(TransferFailure failure) {
    last = std::move(failure);
}
