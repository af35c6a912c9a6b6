// A clock that only moves when a test says so. A test advances it and then
// waits until the workers have done their turn and sleep on it again; it
// never sleeps itself.
#pragma once

#include "jobs/clock.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace qnb::test {

class ManualClock : public Clock {
public:
    TimePoint Now() override;
    bool SleepUntil(TimePoint deadline, const StopToken& stop) override;

    // Moves the time on and wakes the sleepers whose deadline has come.
    void Advance(Duration duration);
    // Waits until exactly `count` threads sleep on this clock with a
    // deadline still ahead (those woken by the last Advance have gone round
    // and sleep again). False after `limit` of real time: a stuck worker
    // fails the test instead of hanging it.
    bool WaitForSleepers(int count, std::chrono::seconds limit = std::chrono::seconds(30));
    // Advance, then WaitForSleepers(count).
    bool Step(Duration duration, int count = 1);

private:
    int SleepersAhead() const;  // with mutex_ held

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    TimePoint now_{0};
    std::multimap<int, TimePoint> sleepers_;  // by ticket: each sleeping thread's deadline
    int nextTicket_ = 0;
};

}  // namespace qnb::test
