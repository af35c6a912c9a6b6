// Reads an HTTP answer as the network delivers it, in pieces of any size,
// and keeps the body of a "200" answer, sent with a Content-Length or
// chunked. Every length and count in the answer is treated as hostile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qnb::net {

class HttpResponseParser {
public:
    struct Limits {
        size_t maxHeader = 16 * 1024;      // the status line and header fields, end mark included
        size_t maxBody = 4 * 1024 * 1024;   // the body the answer may bring: the JSON reader takes no more
    };

    enum class State { kNeedMore, kComplete, kFailed };

    enum class Failure {
        kNone,
        kStatus,         // not an HTTP answer with status 200
        kHeaderTooLong,  // no end of the header within maxHeader bytes
        kNoLength,       // neither Content-Length nor chunked (or another transfer coding)
        kBadLength,      // a Content-Length that is not a number above 0, or two that differ
        kTooLarge,       // the body (or a chunk) would pass maxBody
        kBadChunk,       // a chunk-size line that is not a hexadecimal number
        kEmpty,          // a chunked answer without a body byte
        kClosedEarly,    // the connection ended before the answer was complete
    };

    HttpResponseParser() : HttpResponseParser(Limits{}) {}
    explicit HttpResponseParser(Limits limits);

    // Takes the next received bytes; bytes after a complete answer are ignored.
    State Feed(const char* data, size_t size);
    // The connection has ended (or a receive failed): complete or failed now.
    State Finish();

    State state() const { return state_; }
    Failure failure() const { return failure_; }
    // A few words for the log: "status", "closed early", ...
    static const char* Describe(Failure failure);
    // The body, exactly as sent (chunk framing removed); valid when complete.
    const std::string& body() const { return body_; }
    std::string TakeBody() { return std::move(body_); }

private:
    enum class Stage { kHeader, kFixed, kChunkSize, kChunkData, kDone };

    State Fail(Failure failure);
    size_t FeedHeader(const char* data, size_t size);
    bool ReadHeader();
    size_t FeedFixed(const char* data, size_t size);
    size_t FeedChunkSize(const char* data, size_t size);
    size_t FeedChunkData(const char* data, size_t size);

    Limits limits_;
    State state_ = State::kNeedMore;
    Failure failure_ = Failure::kNone;
    Stage stage_ = Stage::kHeader;
    std::string header_;      // the header as it arrives
    std::string sizeLine_;    // a chunk-size line that is still arriving
    uint64_t length_ = 0;     // Content-Length, or the bytes left of the current chunk
    uint64_t framing_ = 0;    // bytes of chunk framing taken so far
    std::string body_;
};

const char* FailureName(HttpResponseParser::Failure failure);

}  // namespace qnb::net
