#include "bandwidth/test_request.h"

std::atomic<int> CancelRequest{0};
