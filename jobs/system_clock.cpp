#include "jobs/clock.h"

#include <condition_variable>
#include <mutex>

namespace qnb {

namespace {

class SteadyClock : public Clock {
public:
    TimePoint Now() override {
        return std::chrono::duration_cast<TimePoint>(std::chrono::steady_clock::now().time_since_epoch());
    }

    bool SleepUntil(TimePoint deadline, const StopToken& stop) override {
        std::mutex mutex;
        std::condition_variable woken;
        StopCallback onStop(stop, [&] {
            std::lock_guard<std::mutex> lock(mutex);
            woken.notify_all();
        });
        const auto until = std::chrono::steady_clock::time_point(deadline);
        std::unique_lock<std::mutex> lock(mutex);
        woken.wait_until(lock, until, [&] { return stop.StopRequested(); });
        return !stop.StopRequested();
    }
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock* clock = new SteadyClock;  // used by threads that may outlive static destruction
    return *clock;
}

}  // namespace qnb
