// A scripted HTTP server in memory for the engine's tests: serves one body,
// with or without ranges, and can refuse, fail, cut answers short or stall.
#pragma once

#include "engine/transport.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace qnb::engine::test {

class FakeServer : public Transport {
public:
    explicit FakeServer(std::string body) : body_(std::move(body)) {}

    // Behaviour switches, set before the requests they should affect.
    std::atomic<bool> refuse{false};          // no connection at all
    std::atomic<int> errorStatus{0};          // answer every request with this status
    std::atomic<bool> ranges{true};           // honour Range
    std::atomic<bool> sendLength{true};       // Content-Length on 200 answers
    std::atomic<int64_t> cutAfter{-1};        // each answer ends after this many body bytes
    std::atomic<int64_t> failServedAfter{-1}; // reads fail once this many bytes were served in all
    std::atomic<bool> stall{false};           // reads wait while set
    std::string etag = "\"v1\"";
    size_t chunk = 4096;                      // bytes per read at most

    void SetBody(std::string body) {
        std::lock_guard lock(mutex_);
        body_ = std::move(body);
    }
    void Unstall() {
        stall = false;
        cv_.notify_all();
    }
    std::string Body() const {
        std::lock_guard lock(mutex_);
        return body_;
    }
    uint64_t Served() const { return served_; }
    std::vector<HttpRequest> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error) override;

private:
    friend class FakeStream;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::string body_;
    std::vector<HttpRequest> requests_;
    std::atomic<uint64_t> served_{0};
};

}  // namespace qnb::engine::test
