#include "ui/worker_starter.h"

#include <system_error>
#include <thread>

#include "bandwidth/worker.h"

bool StartDetachedTestWorker(const TestRequest* request) {
    try {
        std::thread(TestWorker, request).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
