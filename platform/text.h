// All text conversions of the program. Strings inside are UTF-8; UTF-16 is
// used at the Win32, archive and UI edges; the ANSI code page (GBK on a
// Chinese Windows) only where a file contract asks for it.
#pragma once

#include <string>
#include <string_view>

namespace qnb::text {

// Invalid input becomes U+FFFD; nothing throws.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The ANSI code page of the system (CP_ACP on Windows, GBK elsewhere).
// Characters the code page lacks become '?'.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

// "\n" → "\r\n", as a file written in text mode stores it.
std::string ToCrLf(std::string_view text);

#ifdef _WIN32
inline std::wstring Wide(std::string_view utf8) {
    std::u16string w = Utf8ToUtf16(utf8);
    return std::wstring(w.begin(), w.end());
}
inline std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
#endif

}  // namespace qnb::text
