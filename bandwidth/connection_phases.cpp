#include "bandwidth/connection_phases.h"

#include <algorithm>

namespace {

// The time between two marks in microseconds, in seconds; none when either is missing.
std::optional<double> Between(std::int64_t from, std::int64_t to) {
    if (from < 0 || to < 0 || to < from) {
        return std::nullopt;
    }
    return static_cast<double>(to - from) / 1e6;
}

}  // namespace

ConnectionPhases PhasesOf(const INTERNET_CONNECTION_TIMINGS& timings) {
    ConnectionPhases phases;
    phases.nameLookup = Between(0, timings.nameLookupDone);
    phases.connect = Between(timings.nameLookupDone, timings.connectDone);
    // libcurl leaves the TLS mark at 0 for a connection without TLS.
    const bool tls = timings.tlsDone > 0;
    if (tls) {
        phases.tls = Between(timings.connectDone, timings.tlsDone);
    }
    phases.waiting = Between(tls ? timings.tlsDone : timings.connectDone, timings.firstByte);
    return phases;
}
