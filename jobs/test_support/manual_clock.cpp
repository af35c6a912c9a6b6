#include "jobs/test_support/manual_clock.h"

namespace qnb::test {

Clock::TimePoint ManualClock::Now() {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

bool ManualClock::SleepUntil(TimePoint deadline, const StopToken& stop) {
    StopCallback onStop(stop, [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        changed_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    const int ticket = nextTicket_++;
    auto entry = sleepers_.emplace(ticket, deadline);
    changed_.notify_all();  // a test may wait for this sleeper
    changed_.wait(lock, [&] { return stop.StopRequested() || now_ >= deadline; });
    sleepers_.erase(entry);
    changed_.notify_all();
    return !stop.StopRequested();
}

int ManualClock::SleepersAhead() const {
    int count = 0;
    for (const auto& [ticket, deadline] : sleepers_) count += deadline > now_;
    return count;
}

void ManualClock::Advance(Duration duration) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += duration;
    changed_.notify_all();
}

bool ManualClock::WaitForSleepers(int count, std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return SleepersAhead() == count; });
}

bool ManualClock::Step(Duration duration, int count) {
    Advance(duration);
    return WaitForSleepers(count);
}

}  // namespace qnb::test
