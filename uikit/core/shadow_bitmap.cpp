#include "uikit/core/shadow_bitmap.h"

#include <algorithm>
#include <cmath>

namespace uikit {

Size ShadowBitmapSize(Size window, const ShadowSettings& s) {
    int size = std::max(0, s.size);
    return {window.cx + 2 * size, window.cy + 2 * size};
}

std::vector<uint32_t> MakeShadowBitmap(Size window, const ShadowSettings& s) {
    Size total = ShadowBitmapSize(window, s);
    std::vector<uint32_t> pixels(size_t(std::max(0, total.cx)) * size_t(std::max(0, total.cy)), 0);
    int size = std::max(0, s.size);
    int darkness = std::clamp(s.darkness, 0, 255);
    if (size == 0 || darkness == 0 || window.cx <= 0 || window.cy <= 0) return pixels;
    double exponent = 2.0 * 11.0 / std::max(1, s.sharpness);
    double radius = std::clamp(s.roundness, 0, std::min(window.cx, window.cy) / 2);
    // The shadow's outline: the window rectangle, moved by the offset, in bitmap coordinates.
    double left = size + s.offset.x;
    double top = size + s.offset.y;
    double right = left + window.cx;
    double bottom = top + window.cy;
    for (int y = 0; y < total.cy; ++y) {
        for (int x = 0; x < total.cx; ++x) {
            // Distance from the pixel's centre to the rounded rectangle.
            double px = x + 0.5;
            double py = y + 0.5;
            double cx = std::clamp(px, left + radius, right - radius);
            double cy = std::clamp(py, top + radius, bottom - radius);
            double d = std::hypot(px - cx, py - cy) - radius;
            double alpha;
            if (d <= 0) alpha = darkness;
            else if (d >= size) alpha = 0;
            else alpha = darkness * std::pow(1.0 - d / size, exponent);
            uint32_t a = static_cast<uint32_t>(std::lround(alpha));
            pixels[size_t(y) * total.cx + x] = a << 24;  // black, premultiplied: colour 0
        }
    }
    return pixels;
}

}  // namespace uikit
