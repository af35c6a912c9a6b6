#include "filebackup/ini_file.h"

#include "platform/ascii.h"
#include "platform/text.h"

#include <cstdint>

namespace qnb {

namespace {

std::string Decode(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        return text::Utf16ToUtf8(wide);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
    return text::AnsiToUtf8(bytes);
}

}  // namespace

IniFile::IniFile(std::string_view bytes) : text_(Decode(bytes)) {}

std::optional<std::string> IniFile::Text(std::string_view section, std::string_view key) const {
    const std::string_view text = text_;
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = ascii::Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string_view name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            inSection = ascii::EqualsIgnoringCase(ascii::Trim(name), ascii::Trim(section));
            continue;
        }
        if (!inSection) continue;
        size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (!ascii::EqualsIgnoringCase(ascii::Trim(line.substr(0, equals)), ascii::Trim(key))) continue;
        std::string_view value = ascii::Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(value);
    }
    return std::nullopt;
}

int IniFile::Number(std::string_view section, std::string_view key, int fallback) const {
    std::optional<std::string> value = Text(section, key);
    if (!value || value->empty()) return fallback;
    size_t i = 0;
    while (i < value->size() && static_cast<unsigned char>((*value)[i]) <= ' ') ++i;
    bool negative = false;
    if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+')) negative = (*value)[i++] == '-';
    // Wraps as the system's conversion does, without overflowing here.
    uint32_t number = 0;
    for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
        number = number * 10u + static_cast<uint32_t>((*value)[i] - '0');
    }
    if (negative) number = 0u - number;
    return static_cast<int>(number);
}

}  // namespace qnb
