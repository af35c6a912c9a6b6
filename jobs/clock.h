// Time as jobs see it. Workers wait through their clock, never with a bare
// sleep, so that a test can drive the time and a stop ends every wait at once.
#pragma once

#include "jobs/stop_token.h"

#include <chrono>

namespace qnb {

class Clock {
public:
    using Duration = std::chrono::milliseconds;
    // Time since an arbitrary start; only differences mean something.
    using TimePoint = std::chrono::milliseconds;

    virtual ~Clock() = default;
    virtual TimePoint Now() = 0;
    // Waits until Now() >= deadline. False when stop is requested first (or already).
    virtual bool SleepUntil(TimePoint deadline, const StopToken& stop) = 0;

    bool SleepFor(Duration duration, const StopToken& stop) { return SleepUntil(Now() + duration, stop); }
};

// The machine's monotonic clock.
Clock& SystemClock();

}  // namespace qnb
