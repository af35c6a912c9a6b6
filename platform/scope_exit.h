// Runs a function when the scope ends, for the clean-ups that have no owner type.
#pragma once

#include <utility>

namespace qnb {

template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (armed_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    // The clean-up is not needed after all.
    void Release() { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

}  // namespace qnb
