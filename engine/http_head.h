// The head of an HTTP/1.1 answer as it arrives on a socket: status line and
// the header fields the engine uses. The bytes come from a server and are
// checked as such.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnb::engine {

constexpr size_t kMaxHeadSize = 64 * 1024;

struct HttpHead {
    int status = 0;
    std::optional<uint64_t> contentLength;
    bool chunked = false;         // Transfer-Encoding other than identity
    std::string contentRange;
    std::string etag;
    std::string lastModified;
    std::string location;
    size_t size = 0;              // bytes of the head, its blank line included
};

enum class HeadParse { kIncomplete, kMalformed, kComplete };

// Parses the head at the start of bytes. kIncomplete while its blank line has
// not arrived (and it is still shorter than kMaxHeadSize).
HeadParse ParseHttpHead(std::string_view bytes, HttpHead* head);

}  // namespace qnb::engine
