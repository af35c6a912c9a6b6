#include "jobs/job.h"

#include <exception>
#include <system_error>

namespace qnb {

Job::Job(std::string name, Clock& clock, JobListener* listener)
    : name_(std::move(name)), clock_(clock), listener_(listener) {}

Job::~Job() {
    RequestStop();
    Join();
}

bool Job::Start(Work work) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (started_) return false;
        started_ = true;
    }
    try {
        thread_ = std::thread([this, work = std::move(work)] {
            JobControl control(clock_, stop_.Token(), listener_);
            Status outcome;
            try {
                outcome = work(control);
            } catch (const std::exception& e) {
                // Work reports its failures as values; an exception here is a fault, kept for the log.
                outcome = Failure{std::string("unexpected exception: ") + e.what(), name_, 0};
            }
            End(std::move(outcome));
        });
    } catch (const std::system_error& e) {
        End(Failure{"start thread", name_, static_cast<uint32_t>(e.code().value())});
        return false;
    }
    return true;
}

void Job::End(Status outcome) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        outcome_ = outcome;
    }
    if (listener_) listener_->Finished(outcome);
}

void Job::Join() {
    std::lock_guard<std::mutex> lock(joinMutex_);
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool Job::Started() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return started_;
}

bool Job::Finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_.has_value();
}

std::optional<Status> Job::Outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
}

}  // namespace qnb
