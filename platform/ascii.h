// ASCII case folding and trimming, for protocol words, switches, file and
// process names. Only 'A'..'Z' and 'a'..'z' fold; every other byte (UTF-8
// sequences, ANSI double-byte text) is left as it is, whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace qnb::ascii {

constexpr char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
// An empty part is in every text.
bool ContainsIgnoringCase(std::string_view text, std::string_view part);

// Spaces and tabs: HTTP's optional white space, the blanks of attribute values.
inline constexpr std::string_view kBlanks = " \t";
// Blanks and line ends.
inline constexpr std::string_view kWhitespace = " \t\r\n";

// The text without any of `chars` at its start, its end, or both.
std::string_view TrimStart(std::string_view s, std::string_view chars = kBlanks);
std::string_view TrimEnd(std::string_view s, std::string_view chars = kBlanks);
std::string_view Trim(std::string_view s, std::string_view chars = kBlanks);

}  // namespace qnb::ascii
