#include "engine/test_support/fake_server.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace qnb::engine::test {

class FakeStream : public HttpStream {
public:
    FakeStream(FakeServer& server, HttpAnswer answer, std::string body)
        : server_(server), answer_(std::move(answer)), body_(std::move(body)) {}
    const HttpAnswer& Answer() const override { return answer_; }
    int64_t Read(void* buffer, size_t size) override {
        {
            std::unique_lock lock(server_.mutex_);
            // A stalled server sends nothing; a reader gives up after a while, as a receive timeout would.
            if (!server_.cv_.wait_for(lock, std::chrono::seconds(5), [&] { return !server_.stall.load(); })) return -1;
        }
        if (server_.failServedAfter >= 0 && int64_t(server_.served_) >= server_.failServedAfter) return -1;
        size_t limit = body_.size() - at_;
        if (server_.cutAfter >= 0) limit = std::min<size_t>(limit, std::max<int64_t>(0, server_.cutAfter - int64_t(at_)));
        size_t n = std::min({size, limit, server_.chunk});
        std::memcpy(buffer, body_.data() + at_, n);
        at_ += n;
        server_.served_ += n;
        return int64_t(n);
    }

private:
    FakeServer& server_;
    HttpAnswer answer_;
    std::string body_;
    size_t at_ = 0;
};

std::unique_ptr<HttpStream> FakeServer::Open(const HttpRequest& request, EngineError* error) {
    std::string body;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        body = body_;
    }
    if (refuse) {
        *error = kErrorConnect;
        return nullptr;
    }
    HttpAnswer answer;
    answer.etag = etag;
    if (errorStatus != 0) {
        answer.status = errorStatus;
        return std::make_unique<FakeStream>(*this, answer, "");
    }
    const uint64_t size = body.size();
    bool useRange = ranges && request.ranged && (request.ifRange.empty() || request.ifRange == etag);
    if (useRange) {
        if (request.begin >= size) {
            answer.status = 416;
            return std::make_unique<FakeStream>(*this, answer, "");
        }
        uint64_t last = std::min<uint64_t>(request.last.value_or(size - 1), size - 1);
        answer.status = 206;
        answer.contentRange = "bytes " + std::to_string(request.begin) + "-" + std::to_string(last) + "/" +
                              std::to_string(size);
        answer.contentLength = last - request.begin + 1;
        return std::make_unique<FakeStream>(*this, answer, body.substr(request.begin, last - request.begin + 1));
    }
    answer.status = 200;
    if (sendLength) answer.contentLength = size;
    return std::make_unique<FakeStream>(*this, answer, body);
}

}  // namespace qnb::engine::test
