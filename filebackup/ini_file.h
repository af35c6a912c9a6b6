// Values of an INI file, read as GetPrivateProfileString and
// GetPrivateProfileInt read them: sections and keys without regard to case,
// blanks around names and values dropped, a value in matching quotes
// without them, the first of repeated keys. The file comes from another
// program, so anything at all may be in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qnb {

class IniFile {
public:
    // The file's bytes: UTF-16LE after its byte-order mark, UTF-8 after
    // its mark, otherwise the ANSI code page.
    explicit IniFile(std::string_view bytes);

    // The value (UTF-8), or nothing when the section or key is missing.
    std::optional<std::string> Text(std::string_view section, std::string_view key) const;
    // fallback when the key is missing or empty; else the decimal number
    // after optional blanks and a sign, as far as its digits go (0 for none).
    int Number(std::string_view section, std::string_view key, int fallback) const;

private:
    std::string text_;  // UTF-8
};

}  // namespace qnb
