#include "uikit/core/attribute_values.h"

#include "platform/ascii.h"

#include <charconv>

namespace uikit {

namespace {

// Splits on commas into exactly count integers.
bool ParseInts(std::string_view value, int* out, int count) {
    for (int i = 0; i < count; ++i) {
        size_t comma = value.find(',');
        bool last = i == count - 1;
        if (last != (comma == std::string_view::npos)) return false;
        std::optional<int> n = ParseInt(qnb::ascii::Trim(value.substr(0, comma)));
        if (!n) return false;
        out[i] = *n;
        if (!last) value.remove_prefix(comma + 1);
    }
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<uint32_t> ParseColour(std::string_view value) {
    value = qnb::ascii::Trim(value);
    if (value.size() != 7 && value.size() != 9) return std::nullopt;
    if (value[0] != '#') return std::nullopt;
    uint32_t colour = 0;
    for (char c : value.substr(1)) {
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f') digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F') digit = uint32_t(c - 'A' + 10);
        else return std::nullopt;
        colour = colour << 4 | digit;
    }
    if (value.size() == 7) colour |= 0xFF000000u;
    return colour;
}

std::optional<int> ParseInt(std::string_view value) {
    value = qnb::ascii::Trim(value);
    if (value.empty()) return std::nullopt;
    const char* first = value.data();
    if (*first == '+') ++first;
    int n = 0;
    auto [end, error] = std::from_chars(first, value.data() + value.size(), n);
    if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
    if (n > kLayoutNumberLimit || n < -kLayoutNumberLimit) return std::nullopt;
    return n;
}

std::optional<bool> ParseBool(std::string_view value) {
    value = qnb::ascii::Trim(value);
    if (value == "true") return true;
    if (value == "false") return false;
    return std::nullopt;
}

std::optional<Rect> ParseRect(std::string_view value) {
    int n[4];
    if (!ParseInts(value, n, 4)) return std::nullopt;
    return Rect{n[0], n[1], n[2], n[3]};
}

std::optional<Size> ParseSize(std::string_view value) {
    int n[2];
    if (!ParseInts(value, n, 2)) return std::nullopt;
    return Size{n[0], n[1]};
}

std::optional<std::vector<std::pair<std::string, std::string>>> ParseAttributeList(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t i = 0;
    while (true) {
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (i == list.size()) break;
        size_t nameStart = i;
        while (i < list.size() && list[i] != '=' && !IsBlank(list[i])) ++i;
        std::string_view name = list.substr(nameStart, i - nameStart);
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (name.empty() || i == list.size() || list[i] != '=') return std::nullopt;
        ++i;
        while (i < list.size() && IsBlank(list[i])) ++i;
        if (i == list.size() || (list[i] != '"' && list[i] != '\'')) return std::nullopt;
        char quote = list[i++];
        size_t close = list.find(quote, i);
        if (close == std::string_view::npos) return std::nullopt;
        pairs.emplace_back(std::string(name), std::string(list.substr(i, close - i)));
        i = close + 1;
    }
    return pairs;
}

std::optional<ImageSpec> ParseImage(std::string_view value) {
    ImageSpec spec;
    std::string_view trimmed = qnb::ascii::Trim(value);
    if (trimmed.empty()) return spec;
    if (trimmed.find('=') == std::string_view::npos) {
        spec.file = std::string(trimmed);
        return spec;
    }
    auto pairs = ParseAttributeList(trimmed);
    if (!pairs) return std::nullopt;
    for (const auto& [key, v] : *pairs) {
        if (key == "file" || key == "res") {
            spec.file = v;
        } else if (key == "source") {
            auto r = ParseRect(v);
            if (!r) return std::nullopt;
            spec.source = *r;
        } else if (key == "corner") {
            auto r = ParseRect(v);
            if (!r) return std::nullopt;
            spec.corner = *r;
        } else if (key == "dest") {
            auto r = ParseRect(v);
            if (!r) return std::nullopt;
            spec.dest = *r;
        } else if (key == "fade") {
            auto n = ParseInt(v);
            if (!n || *n < 0 || *n > 255) return std::nullopt;
            spec.fade = *n;
        }
    }
    if (spec.file.empty()) return std::nullopt;
    return spec;
}

}  // namespace uikit
