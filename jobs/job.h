// One shape for the program's long-running work (downloads, the service
// queries, the space guard, the engine deployment, and the flows' workers):
// a job runs its work on a joinable thread with a stop token and a clock,
// publishes progress as a snapshot, and ends with a Status: nothing, or one
// failure that carries the Windows error code. Whoever watches it hears
// "progress changed" and "finished" through a JobListener; a window gets
// them as posted messages (jobs/window_listener_win32.h).
#pragma once

#include "jobs/clock.h"
#include "jobs/stop_token.h"
#include "platform/failure.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qnb {

// Told on the job's thread; must return quickly and never wait for the owner.
class JobListener {
public:
    virtual ~JobListener() = default;
    virtual void ProgressChanged() {}
    // The outcome can be read from the job now.
    virtual void Finished(const Status& /*outcome*/) {}
};

// What the work sees while it runs.
class JobControl {
public:
    JobControl(Clock& clock, StopToken stop, JobListener* listener)
        : clock_(clock), stop_(std::move(stop)), listener_(listener) {}

    bool StopRequested() const { return stop_.StopRequested(); }
    const StopToken& stopToken() const { return stop_; }
    Clock& clock() const { return clock_; }
    // Waits on the job's clock; false when stop was requested before or meanwhile.
    bool SleepFor(Clock::Duration duration) { return clock_.SleepFor(duration, stop_); }
    // Tells the listener that the job's snapshot changed.
    void NotifyProgress() {
        if (listener_) listener_->ProgressChanged();
    }

private:
    Clock& clock_;
    StopToken stop_;
    JobListener* listener_;
};

class Job {
public:
    using Work = std::function<Status(JobControl& control)>;

    // name: a few words for the log ("download worker").
    explicit Job(std::string name, Clock& clock = SystemClock(), JobListener* listener = nullptr);
    // Requests stop and waits for the work to return.
    ~Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Runs work on a new thread; once per job. False when it was started
    // already or no thread could be made (the job then ends at once with
    // that failure, which the listener hears).
    bool Start(Work work);
    void RequestStop() { stop_.RequestStop(); }
    // Waits for the work to return (nothing when it never started).
    void Join();

    bool Started() const;
    bool Finished() const;
    // The work's outcome once it has finished.
    std::optional<Status> Outcome() const;
    const std::string& name() const { return name_; }

private:
    void End(Status outcome);

    const std::string name_;
    Clock& clock_;
    JobListener* listener_;
    StopSource stop_;
    mutable std::mutex mutex_;
    std::mutex joinMutex_;  // one joiner at a time
    bool started_ = false;
    std::optional<Status> outcome_;
    std::thread thread_;
};

// The latest progress of a job: written by the work, read by any thread.
template <typename T>
class Snapshot {
public:
    void Publish(T value) {
        std::lock_guard<std::mutex> lock(mutex_);
        value_ = std::move(value);
    }
    // Changes it in place, under the lock.
    template <typename F>
    void Update(F change) {
        std::lock_guard<std::mutex> lock(mutex_);
        change(value_);
    }
    T Get() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return value_;
    }

private:
    mutable std::mutex mutex_;
    T value_{};
};

}  // namespace qnb
