// CXProgressUI: the progress control drawn as a ring. A full circle in the
// control's background colour, and on it an arc in barcolor from twelve
// o'clock, clockwise, as long as the value's share of the range.
#pragma once

#include "uikit/controls/progress.h"

#include <string>

namespace qnb::ui {

// The rectangle of the arc for a control at pos with a pen penSize wide.
struct ArcRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ArcRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};
ArcRect ArcGeometry(const uikit::Rect& pos, int penSize);

// Degrees of arc for a value of a range: value / (maximum - minimum) * 360;
// 0 for an empty range.
float SweepAngle(int value, int minimum, int maximum);

class CXProgressUI : public uikit::CProgressUI {
public:
    static constexpr char kElement[] = "XProgress";
    std::string_view GetClass() const override { return "CXProgress"; }

    // pensize: a decimal integer (missing: 0); barcolor: "#AARRGGBB" (missing or empty: transparent).
    int PenSize() const;
    uint32_t BarColor() const;

    void PaintBkColor(uikit::IRender& render) override;
    void PaintStatusImage(uikit::IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

private:
    std::string penSize_;
    std::string barColor_;
};

}  // namespace qnb::ui
