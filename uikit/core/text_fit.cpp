#include "uikit/core/text_fit.h"

#include <vector>

namespace uikit {

std::string FitWithEllipsis(std::string_view text, int width, const std::function<int(std::string_view)>& measure) {
    if (measure(text) <= width) return std::string(text);
    // Byte offsets where a character starts (continuation bytes are 10xxxxxx).
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    // The largest count of leading characters whose text plus the ellipsis fits.
    size_t low = 0;
    size_t high = starts.size();
    while (low < high) {
        size_t mid = (low + high + 1) / 2;
        size_t bytes = mid < starts.size() ? starts[mid] : text.size();
        std::string candidate = std::string(text.substr(0, bytes)) + kEllipsis;
        if (measure(candidate) <= width) low = mid;
        else high = mid - 1;
    }
    size_t bytes = low < starts.size() ? starts[low] : text.size();
    return std::string(text.substr(0, bytes)) + kEllipsis;
}

}  // namespace uikit
