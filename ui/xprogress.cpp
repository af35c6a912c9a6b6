#include "ui/xprogress.h"

#include <cstdlib>

namespace qnb::ui {

ArcRect ArcGeometry(const uikit::Rect& pos, int penSize) {
    return {pos.left + penSize / 2 - 1, pos.top + penSize / 2 - 1, (pos.right - pos.left) - penSize,
            (pos.bottom - pos.top) - penSize};
}

float SweepAngle(int value, int minimum, int maximum) {
    if (maximum <= minimum) return 0;
    return static_cast<float>(double(value) / double(maximum - minimum) * 360.0);
}

int CXProgressUI::PenSize() const { return std::atoi(penSize_.c_str()); }

uint32_t CXProgressUI::BarColor() const {
    // The first character ("#") is skipped and the rest read as hexadecimal.
    if (barColor_.size() < 2) return 0;
    return static_cast<uint32_t>(std::strtoul(barColor_.c_str() + 1, nullptr, 16));
}

void CXProgressUI::PaintBkColor(uikit::IRender& render) {
    int pen = PenSize();
    ArcRect r = ArcGeometry(pos_, pen);
    render.DrawArc(r.x, r.y, r.width, r.height, -90.0f, 360.0f, pen, bkColor_);
}

void CXProgressUI::PaintStatusImage(uikit::IRender& render) {
    int pen = PenSize();
    ArcRect r = ArcGeometry(pos_, pen);
    render.DrawArc(r.x, r.y, r.width, r.height, -90.0f, SweepAngle(value_, min_, max_), pen, BarColor());
}

bool CXProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "pensize") {
        penSize_ = std::string(value);
        Invalidate();
        return true;
    }
    if (name == "barcolor") {
        barColor_ = std::string(value);
        Invalidate();
        return true;
    }
    return CProgressUI::SetAttribute(name, value);
}

}  // namespace qnb::ui
