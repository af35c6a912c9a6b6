// How the engine talks HTTP: one request, its answer's head, then the body
// read in pieces. The Windows library uses WinHTTP (proxies and certificates
// as the system has them); the tests use scripted servers.
#pragma once

#include "engine/engine_api.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qnb::engine {

struct HttpRequest {
    std::string url;            // UTF-8
    bool ranged = false;        // send "Range: bytes=begin-" or "bytes=begin-last"
    uint64_t begin = 0;
    std::optional<uint64_t> last;  // inclusive; open-ended when missing
    std::string ifRange;        // validator for If-Range, when resuming
};

struct HttpAnswer {
    int status = 0;
    std::optional<uint64_t> contentLength;
    std::string contentRange;   // raw header value
    std::string etag;
    std::string lastModified;
    std::string finalUrl;       // after redirects; empty when unknown
};

class HttpStream {
public:
    virtual ~HttpStream() = default;
    virtual const HttpAnswer& Answer() const = 0;
    // Up to size bytes of the body: the count read, 0 at its end, -1 when
    // the connection broke or timed out.
    virtual int64_t Read(void* buffer, size_t size) = 0;
};

class Transport {
public:
    virtual ~Transport() = default;
    // Sends the request and reads the answer's head. Nothing when no answer
    // came; error then says why (kErrorConnect, kErrorUrl, kErrorTransfer).
    // Called from several threads at once.
    virtual std::unique_ptr<HttpStream> Open(const HttpRequest& request, EngineError* error) = 0;
};

// The URL without its fragment ("#..."), which names a part of the answer
// for the client alone and never goes on the wire.
std::string WithoutFragment(std::string_view url);

// "bytes FIRST-LAST/TOTAL" of a 206 answer.
struct ContentRange {
    uint64_t first = 0;
    uint64_t last = 0;
    std::optional<uint64_t> total;  // "*" when the server does not know
};
std::optional<ContentRange> ParseContentRange(std::string_view value);
// A Content-Length value: decimal digits only, with optional blanks around.
std::optional<uint64_t> ParseContentLength(std::string_view value);
// The "Range" header value of a request ("bytes=10-" or "bytes=10-99").
std::string RangeHeader(const HttpRequest& request);

}  // namespace qnb::engine
