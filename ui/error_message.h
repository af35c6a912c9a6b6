// The lost-file window's two lines: a message is split at its first line break.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace qnb::ui {

// (text before the first "\r\n", text after it) when the break is not at
// the start; otherwise (the whole message, "").
std::pair<std::string, std::string> SplitMessage(std::string_view message);

}  // namespace qnb::ui
