#include "bandwidth/request.h"

std::atomic<int> CancelRequest{0};
