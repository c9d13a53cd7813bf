#pragma once

// What the fault tests share: one test run as the dialog runs it, the checks that every run
// must pass, a look at the files a run leaves, short Internet time-outs, and private mounts
// for faults of the disk.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/common/queue_target.h"

struct FaultRun {
    unsigned returned = 0;                // the routine's result
    std::vector<PostedMessage> messages;  // every notification, in the order posted
};

// Runs one test of url on a thread of its own (started from the calling thread, so it shares
// the caller's namespaces), taking the notifications as a window does, until the finished
// notification; then waits for the thread.
FaultRun RunOneTest(const std::string& url, const std::string& programDirectory);

// The outcomes a run may end with.
bool IsKnownOutcome(unsigned outcome);
// How many finished notifications a run posted.
int FinishedCount(const FaultRun& run);
// Every run: one finished notification, the last message, carrying what the routine returned.
void ExpectOneFinished(const FaultRun& run, unsigned outcome);

// The regular files in a directory, with their sizes; other entries are listed with size -1.
// The history's files (BandWidth_History.db and its log beside it) are left out.
std::map<std::string, std::int64_t> ListDirectory(const std::string& directory);

// Whether text is nothing but whole report blocks; their count goes to blocks.
bool IsWholeReportBlocks(const std::string& text, int* blocks = nullptr);

// The descriptors open in this process, its threads, and its resident memory in KiB.
int OpenDescriptorCount();
int ThreadCount();
long ResidentKiB();

// Shortens the Internet stand-in's default time-outs for sessions made while it lives.
class ShortInternetTimeouts {
public:
    ShortInternetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds receive);
    ~ShortInternetTimeouts();
    ShortInternetTimeouts(const ShortInternetTimeouts&) = delete;
    ShortInternetTimeouts& operator=(const ShortInternetTimeouts&) = delete;

private:
    unsigned long connect_ = 0;
    unsigned long receive_ = 0;
};

// Runs body on a thread of its own in a private mount namespace, where it may mount what it
// likes without touching the machine's mounts. False (with the reason) when that is not
// possible, e.g. without root; body has not run then.
bool RunWithPrivateMounts(const std::function<void()>& body, std::string* why);
// Inside RunWithPrivateMounts: a tmpfs of sizeKiB on directory, or directory made read-only.
bool MountSmallTmpfs(const std::string& directory, int sizeKiB, std::string* why);
bool MakeReadOnly(const std::string& directory, std::string* why);

// Runs body on a thread of its own in a private network namespace (loopback only), so that a
// name lookup or a fixed port reaches nothing outside. False (with the reason) when not
// possible; body has not run then.
bool RunInPrivateNetwork(const std::function<void()>& body, std::string* why);
