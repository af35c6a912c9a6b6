#include "net/http_response_parser.h"

#include "platform/ascii.h"

#include <algorithm>
#include <string_view>

namespace qnb::net {

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr size_t kMaxSizeLine = 1024;  // a chunk size with extensions; longer is not an answer of ours

// A decimal number of digits only, at most `limit`; false for anything else.
bool ParseDecimal(std::string_view s, uint64_t limit, uint64_t* value, bool* tooLarge) {
    if (s.empty()) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
        if (v > limit) {
            *tooLarge = true;
            return false;
        }
    }
    *value = v;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The last transfer coding of a Transfer-Encoding value is "chunked".
bool EndsWithChunked(std::string_view value) {
    size_t comma = value.rfind(',');
    std::string_view last = ascii::Trim(comma == std::string_view::npos ? value : value.substr(comma + 1));
    return ascii::EqualsIgnoringCase(last, "chunked");
}

}  // namespace

HttpResponseParser::HttpResponseParser(Limits limits) : limits_(limits) {}

HttpResponseParser::State HttpResponseParser::Fail(Failure failure) {
    state_ = State::kFailed;
    failure_ = failure;
    stage_ = Stage::kDone;
    body_.clear();
    body_.shrink_to_fit();
    return state_;
}

HttpResponseParser::State HttpResponseParser::Feed(const char* data, size_t size) {
    while (size > 0 && state_ == State::kNeedMore) {
        size_t used = 0;
        switch (stage_) {
        case Stage::kHeader: used = FeedHeader(data, size); break;
        case Stage::kFixed: used = FeedFixed(data, size); break;
        case Stage::kChunkSize: used = FeedChunkSize(data, size); break;
        case Stage::kChunkData: used = FeedChunkData(data, size); break;
        case Stage::kDone: return state_;
        }
        data += used;
        size -= used;
    }
    return state_;
}

HttpResponseParser::State HttpResponseParser::Finish() {
    if (state_ == State::kNeedMore) Fail(Failure::kClosedEarly);
    return state_;
}

size_t HttpResponseParser::FeedHeader(const char* data, size_t size) {
    // The end mark may straddle two pieces: look again from just before the new bytes.
    size_t from = header_.size() >= kHeaderEnd.size() - 1 ? header_.size() - (kHeaderEnd.size() - 1) : 0;
    size_t room = limits_.maxHeader - header_.size();
    size_t take = std::min(size, room);
    header_.append(data, take);
    size_t end = header_.find(kHeaderEnd, from);
    if (end == std::string::npos) {
        if (header_.size() >= limits_.maxHeader) Fail(Failure::kHeaderTooLong);
        return take;
    }
    // Whatever followed the end mark in this piece belongs to the body.
    size_t headerLength = end + kHeaderEnd.size();
    size_t used = take - (header_.size() - headerLength);
    header_.resize(headerLength);
    ReadHeader();
    return used;
}

bool HttpResponseParser::ReadHeader() {
    std::string_view header(header_);
    size_t lineEnd = header.find("\r\n");
    std::string_view status = header.substr(0, lineEnd);
    // "HTTP/1.x 200 reason"
    if (status.substr(0, 5) != "HTTP/") return Fail(Failure::kStatus), false;
    size_t space = status.find(' ');
    if (space == std::string_view::npos) return Fail(Failure::kStatus), false;
    std::string_view code = status.substr(space + 1, 4);
    if (code != "200" && code != "200 ") return Fail(Failure::kStatus), false;

    bool haveLength = false, chunked = false, otherCoding = false;
    uint64_t length = 0;
    size_t pos = lineEnd + 2;
    while (pos < header.size()) {
        size_t next = header.find("\r\n", pos);
        std::string_view line = header.substr(pos, next - pos);
        pos = next + 2;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = ascii::Trim(line.substr(0, colon));
        std::string_view value = ascii::Trim(line.substr(colon + 1));
        if (ascii::EqualsIgnoringCase(name, "Content-Length")) {
            uint64_t v = 0;
            bool tooLarge = false;
            if (!ParseDecimal(value, limits_.maxBody, &v, &tooLarge)) {
                return Fail(tooLarge ? Failure::kTooLarge : Failure::kBadLength), false;
            }
            if (haveLength && v != length) return Fail(Failure::kBadLength), false;
            haveLength = true;
            length = v;
        } else if (ascii::EqualsIgnoringCase(name, "Transfer-Encoding")) {
            if (EndsWithChunked(value)) {
                chunked = true;
            } else {
                otherCoding = true;
            }
        }
    }
    header_.clear();
    header_.shrink_to_fit();
    if (otherCoding) return Fail(Failure::kNoLength), false;
    if (chunked) {  // chunked framing wins over a Content-Length
        stage_ = Stage::kChunkSize;
        return true;
    }
    if (!haveLength) return Fail(Failure::kNoLength), false;
    if (length == 0) return Fail(Failure::kBadLength), false;
    length_ = length;
    body_.reserve(static_cast<size_t>(std::min<uint64_t>(length, 256 * 1024)));
    stage_ = Stage::kFixed;
    return true;
}

size_t HttpResponseParser::FeedFixed(const char* data, size_t size) {
    size_t take = static_cast<size_t>(std::min<uint64_t>(size, length_ - body_.size()));
    body_.append(data, take);
    if (body_.size() == length_) {
        stage_ = Stage::kDone;
        state_ = State::kComplete;
    }
    return take;
}

size_t HttpResponseParser::FeedChunkSize(const char* data, size_t size) {
    size_t used = 0;
    while (used < size) {
        char c = data[used++];
        ++framing_;
        if (sizeLine_.empty() && (c == '\r' || c == '\n' || c == ' ' || c == '\t')) {
            // The line end of the previous chunk, or white space before the size.
            if (framing_ > limits_.maxBody) return Fail(Failure::kBadChunk), used;
            continue;
        }
        if (c != '\n') {
            if (sizeLine_.size() >= kMaxSizeLine) return Fail(Failure::kBadChunk), used;
            sizeLine_ += c;
            continue;
        }
        // A whole line: hexadecimal digits, then nothing but white space or extensions.
        std::string_view line(sizeLine_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        uint64_t chunk = 0;
        size_t digits = 0;
        for (; digits < line.size(); ++digits) {
            int d = HexDigit(line[digits]);
            if (d < 0) break;
            chunk = chunk * 16 + static_cast<uint64_t>(d);
            if (chunk > limits_.maxBody) return Fail(Failure::kTooLarge), used;
        }
        std::string_view rest = ascii::Trim(line.substr(digits));
        if (digits == 0 || (!rest.empty() && rest.front() != ';')) return Fail(Failure::kBadChunk), used;
        sizeLine_.clear();
        if (chunk == 0) {
            // The last chunk; trailer fields, if any, are not needed.
            if (body_.empty()) return Fail(Failure::kEmpty), used;
            stage_ = Stage::kDone;
            state_ = State::kComplete;
            return used;
        }
        if (chunk > limits_.maxBody - body_.size()) return Fail(Failure::kTooLarge), used;
        length_ = chunk;
        stage_ = Stage::kChunkData;
        return used;
    }
    return used;
}

size_t HttpResponseParser::FeedChunkData(const char* data, size_t size) {
    size_t take = static_cast<size_t>(std::min<uint64_t>(size, length_));
    body_.append(data, take);
    length_ -= take;
    if (length_ == 0) stage_ = Stage::kChunkSize;
    return take;
}

const char* FailureName(HttpResponseParser::Failure failure) {
    using F = HttpResponseParser::Failure;
    switch (failure) {
    case F::kNone: return "none";
    case F::kStatus: return "status is not 200";
    case F::kHeaderTooLong: return "header too long";
    case F::kNoLength: return "neither Content-Length nor chunked";
    case F::kBadLength: return "bad Content-Length";
    case F::kTooLarge: return "body too large";
    case F::kBadChunk: return "bad chunk size";
    case F::kEmpty: return "empty body";
    case F::kClosedEarly: return "connection closed before the answer was complete";
    }
    return "?";
}

const char* HttpResponseParser::Describe(Failure failure) {
    switch (failure) {
    case Failure::kNone: return "none";
    case Failure::kStatus: return "status";
    case Failure::kHeaderTooLong: return "header too long";
    case Failure::kNoLength: return "no length";
    case Failure::kBadLength: return "bad length";
    case Failure::kTooLarge: return "too large";
    case Failure::kBadChunk: return "bad chunk";
    case Failure::kEmpty: return "empty";
    case Failure::kClosedEarly: return "closed early";
    }
    return "unknown";
}

}  // namespace qnb::net
