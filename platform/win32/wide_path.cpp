#include "platform/win32/wide_path.h"

#include "platform/text.h"

#include <windows.h>

namespace qnb::win32 {

namespace {

// CreateDirectory's limit is MAX_PATH less room for an 8.3 name; the other
// functions take MAX_PATH - 1 characters.
constexpr size_t kPlainLimit = MAX_PATH - 12;

constexpr bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::wstring WidePath(std::string_view utf8) {
    std::wstring wide = text::Wide(utf8);
    if (wide.size() < kPlainLimit) return wide;
    if (wide.compare(0, 4, L"\\\\?\\") == 0 || wide.compare(0, 4, L"\\\\.\\") == 0) return wide;
    bool drive = wide[1] == L':' && IsSeparator(wide[2]);
    bool share = IsSeparator(wide[0]) && IsSeparator(wide[1]);
    if (!drive && !share) return wide;  // relative: only the plain form exists

    // The long form is taken literally, so it must be the full path already.
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return wide;
    full.resize(length);
    if (share) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string NarrowPath(std::wstring_view wide) {
    if (wide.compare(0, 8, L"\\\\?\\UNC\\") == 0) return "\\\\" + text::Narrow(wide.substr(8));
    if (wide.compare(0, 4, L"\\\\?\\") == 0) return text::Narrow(wide.substr(4));
    return text::Narrow(wide);
}

}  // namespace qnb::win32
