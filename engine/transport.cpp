#include "engine/transport.h"

#include "platform/ascii.h"

#include <cctype>

namespace qnb::engine {

namespace {

// Blanks at the start; blanks and line ends at the end, where a header's
// value may still carry its line end.
std::string_view Trim(std::string_view s) { return ascii::TrimStart(ascii::TrimEnd(s, ascii::kWhitespace)); }

// Decimal digits up to 2^64 - 1; consumes them from s.
std::optional<uint64_t> Number(std::string_view& s) {
    size_t i = 0;
    uint64_t v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        uint64_t digit = static_cast<uint64_t>(s[i] - '0');
        if (v > (UINT64_MAX - digit) / 10) return std::nullopt;
        v = v * 10 + digit;
        ++i;
    }
    if (i == 0) return std::nullopt;
    s.remove_prefix(i);
    return v;
}

}  // namespace

std::string WithoutFragment(std::string_view url) { return std::string(url.substr(0, url.find('#'))); }

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    std::string_view s = Trim(value);
    constexpr std::string_view kUnit = "bytes";
    if (!ascii::StartsWithIgnoringCase(s, kUnit)) return std::nullopt;
    s.remove_prefix(kUnit.size());
    if (s.empty() || s.front() != ' ') return std::nullopt;
    s = Trim(s);
    ContentRange r;
    auto first = Number(s);
    if (!first || s.empty() || s.front() != '-') return std::nullopt;
    s.remove_prefix(1);
    auto last = Number(s);
    if (!last || *last < *first || s.empty() || s.front() != '/') return std::nullopt;
    s.remove_prefix(1);
    r.first = *first;
    r.last = *last;
    if (s == "*") return r;
    auto total = Number(s);
    if (!total || !s.empty() || *last >= *total) return std::nullopt;
    r.total = *total;
    return r;
}

std::optional<uint64_t> ParseContentLength(std::string_view value) {
    std::string_view s = Trim(value);
    auto n = Number(s);
    if (!n || !s.empty()) return std::nullopt;
    return n;
}

std::string RangeHeader(const HttpRequest& request) {
    std::string value = "bytes=" + std::to_string(request.begin) + "-";
    if (request.last) value += std::to_string(*request.last);
    return value;
}

}  // namespace qnb::engine
