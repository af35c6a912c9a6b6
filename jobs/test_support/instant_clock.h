// A clock whose waits pass at once (unless a stop was asked for): for
// tests of jobs whose pauses only pace them, not what they do.
#pragma once

#include "jobs/clock.h"

#include <atomic>
#include <thread>

namespace qnb::test {

class InstantClock : public Clock {
public:
    TimePoint Now() override { return now_; }
    bool SleepUntil(TimePoint deadline, const StopToken& stop) override {
        if (stop.StopRequested()) return false;
        now_ = deadline;
        std::this_thread::yield();
        return true;
    }

private:
    std::atomic<TimePoint> now_{TimePoint(0)};
};

}  // namespace qnb::test
