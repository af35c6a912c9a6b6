// The one conversion of UTF-8 paths for the wide file functions.
#pragma once

#include <string>
#include <string_view>

namespace qnb::win32 {

// The wide form of a path. An absolute path too long for the plain form
// ("D:\..." or "\\server\share\...") is made full (".", "..", "/" and
// doubled separators resolved) and given as "\\?\D:\..." or
// "\\?\UNC\server\share\..."; other paths stay as they are.
std::wstring WidePath(std::string_view utf8);

// Back to UTF-8, without the "\\?\" that WidePath added.
std::string NarrowPath(std::wstring_view wide);

}  // namespace qnb::win32
