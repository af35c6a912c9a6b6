#include "jobs/stop_token.h"

namespace qnb {

void StopSource::RequestStop() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->stopped.exchange(true)) return;
    for (std::function<void()>* callback : state_->callbacks) (*callback)();
}

StopCallback::StopCallback(const StopToken& token, std::function<void()> callback)
    : state_(token.state_), callback_(std::move(callback)) {
    if (!state_) return;  // a token that can never stop
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (state_->stopped) {
        lock.unlock();
        callback_();
        return;
    }
    entry_ = state_->callbacks.insert(state_->callbacks.end(), &callback_);
    registered_ = true;
}

StopCallback::~StopCallback() {
    if (!registered_) return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->callbacks.erase(entry_);
}

}  // namespace qnb
