// Pieces of Windows paths ("C:\folder\name.ext"), taken apart and put
// together as text, without asking the file system. "\" separates names;
// where a caller also takes "/" (the engine's folders, which come from
// outside), it passes kEitherSlash. Bytes outside ASCII are never
// separators, so UTF-8 names pass through whole.
#pragma once

#include <string>
#include <string_view>

namespace qnb::paths {

inline constexpr std::string_view kBackslash = "\\";
inline constexpr std::string_view kEitherSlash = "\\/";

// What follows the last separator: "name.ext"; the whole path when it has
// none; "" when it ends in one.
std::string_view FileName(std::string_view path, std::string_view separators = kBackslash);

// Everything up to and with the last separator: "C:\folder\"; "" when the
// path has none.
std::string_view Folder(std::string_view path, std::string_view separators = kBackslash);

// The file name's last dot and what follows: ".ext", ".gz" of "a.tar.gz",
// "." of "name.", ".profile" of ".profile"; "" when the name has no dot.
std::string_view Extension(std::string_view path, std::string_view separators = kBackslash);

// The folder with one "\" at its end, unless it already ends in a separator
// or is empty (a bare name lives in the current folder).
std::string WithTrailingSeparator(std::string_view folder, std::string_view separators = kBackslash);

// The path without one trailing "\", if it has one: "C:\a\" → "C:\a", "C:\" → "C:".
std::string_view WithoutTrailingSeparator(std::string_view path);

// The name in the folder: WithTrailingSeparator(folder) + name.
std::string Join(std::string_view folder, std::string_view name);

}  // namespace qnb::paths
