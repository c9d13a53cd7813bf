#pragma once

// The steps of a connection, as the transfer library timed them, turned into the time each
// step took.
#include "bandwidth/measurement.h"
#include "platform/internet/wininet_types.h"

ConnectionPhases PhasesOf(const INTERNET_CONNECTION_TIMINGS& timings);
