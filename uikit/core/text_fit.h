// Shortening a line of text to a width, with an ellipsis at its end.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace uikit {

constexpr char kEllipsis[] = "\xE2\x80\xA6";  // U+2026

// text when it fits in width; otherwise its longest beginning (whole UTF-8
// characters) followed by an ellipsis that fits, or the ellipsis alone.
// measure gives the width of a piece of text.
std::string FitWithEllipsis(std::string_view text, int width, const std::function<int(std::string_view)>& measure);

}  // namespace uikit
