#include "platform/ascii.h"

#include <algorithm>

namespace qnb::ascii {

namespace {
bool SameLetter(char a, char b) { return ToLower(a) == ToLower(b); }
}  // namespace

std::string ToLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = ToLower(c);
    return out;
}

std::string ToUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = ToUpper(c);
    return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameLetter);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    return std::search(text.begin(), text.end(), part.begin(), part.end(), SameLetter) != text.end() || part.empty();
}

std::string_view TrimStart(std::string_view s, std::string_view chars) {
    size_t first = s.find_first_not_of(chars);
    return s.substr(first == std::string_view::npos ? s.size() : first);
}

std::string_view TrimEnd(std::string_view s, std::string_view chars) {
    size_t last = s.find_last_not_of(chars);
    return s.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

std::string_view Trim(std::string_view s, std::string_view chars) { return TrimStart(TrimEnd(s, chars), chars); }

}  // namespace qnb::ascii
