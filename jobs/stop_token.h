// Asking a job to stop: the owner holds a StopSource, the work reads a
// StopToken, and waits that must end at once on a stop register a
// StopCallback. (The C++20 <stop_token>, cut down to what the program uses.)
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

namespace qnb {

namespace detail {
struct StopState {
    std::atomic<bool> stopped{false};
    std::mutex mutex;  // guards callbacks; held while they run
    std::list<std::function<void()>*> callbacks;
};
}  // namespace detail

class StopToken {
public:
    StopToken() = default;  // never stopped
    bool StopRequested() const { return state_ && state_->stopped.load(); }

private:
    friend class StopSource;
    friend class StopCallback;
    explicit StopToken(std::shared_ptr<detail::StopState> state) : state_(std::move(state)) {}
    std::shared_ptr<detail::StopState> state_;
};

class StopSource {
public:
    StopSource() : state_(std::make_shared<detail::StopState>()) {}
    // Sets the flag and runs the registered callbacks on this thread; later calls do nothing.
    void RequestStop();
    bool StopRequested() const { return state_->stopped.load(); }
    StopToken Token() const { return StopToken(state_); }

private:
    std::shared_ptr<detail::StopState> state_;
};

// Runs `callback` when stop is requested, or at once when it was already.
// The callback must be short and must not wait for the thread that owns
// this object; the destructor waits for a callback under way to return.
class StopCallback {
public:
    StopCallback(const StopToken& token, std::function<void()> callback);
    ~StopCallback();
    StopCallback(const StopCallback&) = delete;
    StopCallback& operator=(const StopCallback&) = delete;

private:
    std::shared_ptr<detail::StopState> state_;
    std::function<void()> callback_;
    std::list<std::function<void()>*>::iterator entry_;
    bool registered_ = false;
};

}  // namespace qnb
