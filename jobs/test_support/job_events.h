// A job listener for tests: counts what jobs told it and lets a test wait
// for a number of events (a condition, never a sleep).
#pragma once

#include "jobs/job.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace qnb::test {

class JobEvents : public JobListener {
public:
    void ProgressChanged() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++progress_;
        changed_.notify_all();
    }
    void Finished(const Status& outcome) override {
        std::lock_guard<std::mutex> lock(mutex_);
        outcomes_.push_back(outcome);
        changed_.notify_all();
    }
    // False after `limit` of real time: a stuck job fails the test instead of hanging it.
    bool WaitForProgress(int count, std::chrono::seconds limit = std::chrono::seconds(30)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return progress_ >= count; });
    }
    bool WaitForFinished(size_t count, std::chrono::seconds limit = std::chrono::seconds(30)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return outcomes_.size() >= count; });
    }
    int progress() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return progress_;
    }
    std::vector<Status> outcomes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return outcomes_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int progress_ = 0;
    std::vector<Status> outcomes_;
};

}  // namespace qnb::test
