#include "ui/error_message.h"

namespace qnb::ui {

std::pair<std::string, std::string> SplitMessage(std::string_view message) {
    size_t at = message.find("\r\n");
    if (at == std::string_view::npos || at == 0) return {std::string(message), std::string()};
    return {std::string(message.substr(0, at)), std::string(message.substr(at + 2))};
}

}  // namespace qnb::ui
