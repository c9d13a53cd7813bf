// Runs tests of one URL, one after the other, as a program of its own, so that the fault
// tests can kill it at any moment or run two copies at once.
//
//   corvanite_fault_driver URL PROGRAM_DIRECTORY [COUNT [PROGRAM_NAME]]
//
// The tests are recorded in the history under PROGRAM_NAME, by default the dialog's "Corvanite".
// Prints "outcome N" for each run as soon as it ends.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bandwidth/request.h"
#include "bandwidth/running_workers.h"
#include "bandwidth/worker.h"
#include "tests/common/queue_target.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s URL PROGRAM_DIRECTORY [COUNT [PROGRAM_NAME]]\n", argv[0]);
        return 2;
    }
    const int count = argc > 3 ? std::atoi(argv[3]) : 1;
    for (int i = 0; i < count; ++i) {
        QueueTarget window;
        TestRequest request;
        request.window = window.window();
        request.url = argv[1];
        request.programDirectory = argv[2];
        request.programName = argc > 4 ? argv[4] : "Corvanite";
        unsigned outcome = 0;
        std::thread worker([&] { outcome = TestWorker(&request); });
        // Taking the notifications as they come, as the dialog does.
        window.waitFor(WM_DOWNLOAD_FINISHED, std::chrono::minutes(5));
        worker.join();
        std::printf("outcome %u\n", outcome);
        std::fflush(stdout);
    }
    WaitForTestWorkers(std::chrono::seconds(30));
    return 0;
}
