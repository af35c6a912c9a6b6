// The request text the HTTP client sends: a GET with the client's fixed
// header fields, one request per connection.
#pragma once

#include <string>
#include <string_view>

namespace qnb::net {

constexpr char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.3; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/56.0.2924.87 Safari/537.36";

// "GET path[?|&parameters] HTTP/1.1" with Host, Connection: Close and the
// User-Agent. One leading '?' or '&' of the parameters is dropped; they are
// joined with '&' when the path already holds a '?', else with '?'.
// Empty when the path, host or parameters hold a space, a control character
// or a byte above 0x7E (they would end the request line or a header field
// early: values must be percent-encoded before they get here).
std::string BuildGetRequest(std::string_view path, std::string_view host, std::string_view parameters);

// Percent-encoding of one query value: everything but letters, digits and
// "-._~" becomes %XX (upper-case hexadecimal).
std::string EncodeQueryValue(std::string_view value);

}  // namespace qnb::net
