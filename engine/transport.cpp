#include "engine/transport.h"

#include <cctype>

namespace qnb::engine {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

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

std::optional<ContentRange> ParseContentRange(std::string_view value) {
    std::string_view s = Trim(value);
    constexpr std::string_view kUnit = "bytes";
    if (s.size() < kUnit.size()) return std::nullopt;
    for (size_t i = 0; i < kUnit.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(s[i])) != kUnit[i]) return std::nullopt;
    }
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
