// Records tests in a history as a program of its own, so that the tests can kill it at any
// moment or run several at once.
//
//   corvanite_history_driver DIRECTORY COUNT NAME
//
// Adds COUNT rows named NAME (url http://h/NAME/I.bin, program NAME), one transaction each,
// and prints "recorded I" as soon as row I is committed, or "skipped I: PROBLEM".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "history/history_store.h"
#include "history/utc_time.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s DIRECTORY COUNT NAME\n", argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    const int count = std::atoi(argv[2]);
    const std::string name = argv[3];
    for (int i = 0; i < count; ++i) {
        HistoryRow row;
        row.startUtc = UtcTimestamp(std::chrono::system_clock::now());
        row.url = "http://h/" + name + "/" + std::to_string(i) + ".bin";
        row.bytes = static_cast<std::uint64_t>(i);
        row.totalSeconds = 1;
        row.megabitsPerSecond = 1;
        row.program = name;
        const HistoryWrite written = RecordInHistory(directory + "/" + HistoryFileName, row,
                                                     {directory + "/BandWidth_TestRpt.txt", {}});
        if (written.recorded) {
            std::printf("recorded %d\n", i);
        } else {
            std::printf("skipped %d: %s\n", i, written.problem.c_str());
        }
        std::fflush(stdout);
    }
    return 0;
}
