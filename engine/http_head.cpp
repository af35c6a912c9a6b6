#include "engine/http_head.h"

#include "engine/transport.h"
#include "platform/ascii.h"

#include <cctype>

namespace qnb::engine {

HeadParse ParseHttpHead(std::string_view bytes, HttpHead* head) {
    size_t end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos) return bytes.size() >= kMaxHeadSize ? HeadParse::kMalformed : HeadParse::kIncomplete;
    if (end + 4 > kMaxHeadSize) return HeadParse::kMalformed;
    *head = HttpHead{};
    head->size = end + 4;
    std::string_view text = bytes.substr(0, end);

    size_t lineEnd = text.find("\r\n");
    std::string_view status = text.substr(0, lineEnd);
    // "HTTP/1.x NNN reason"
    if (status.size() < 12 || status.substr(0, 7) != "HTTP/1." || status[8] != ' ') return HeadParse::kMalformed;
    for (size_t i = 9; i < 12; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(status[i]))) return HeadParse::kMalformed;
    }
    if (status.size() > 12 && status[12] != ' ') return HeadParse::kMalformed;
    head->status = (status[9] - '0') * 100 + (status[10] - '0') * 10 + (status[11] - '0');

    bool lengthSeen = false;
    while (lineEnd != std::string_view::npos) {
        size_t from = lineEnd + 2;
        lineEnd = text.find("\r\n", from);
        std::string_view line = text.substr(from, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - from);
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return HeadParse::kMalformed;
        std::string_view name = line.substr(0, colon);
        std::string_view value = ascii::Trim(line.substr(colon + 1));
        if (name.find_first_of(" \t") != std::string_view::npos) return HeadParse::kMalformed;
        if (ascii::EqualsIgnoringCase(name, "Content-Length")) {
            auto length = ParseContentLength(value);
            // Two different lengths leave the body's end unknown.
            if (!length || (lengthSeen && head->contentLength != length)) return HeadParse::kMalformed;
            head->contentLength = length;
            lengthSeen = true;
        } else if (ascii::EqualsIgnoringCase(name, "Transfer-Encoding")) {
            if (!ascii::EqualsIgnoringCase(value, "identity")) head->chunked = true;
        } else if (ascii::EqualsIgnoringCase(name, "Content-Range")) {
            head->contentRange = std::string(value);
        } else if (ascii::EqualsIgnoringCase(name, "ETag")) {
            head->etag = std::string(value);
        } else if (ascii::EqualsIgnoringCase(name, "Last-Modified")) {
            head->lastModified = std::string(value);
        } else if (ascii::EqualsIgnoringCase(name, "Location")) {
            head->location = std::string(value);
        }
    }
    return HeadParse::kComplete;
}

}  // namespace qnb::engine
