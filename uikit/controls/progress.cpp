#include "uikit/controls/progress.h"

#include <algorithm>

namespace uikit {

CProgressUI::CProgressUI() { flags_ = kAlignCenter | kAlignVCenter | kSingleLine; }

void CProgressUI::SetMinValue(int min) {
    min_ = min;
    if (max_ < min_) max_ = min_;
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
    max_ = std::max(max, min_);
    SetValue(value_);
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) return;
    value_ = value;
    Invalidate();
}

void CProgressUI::PaintStatusImage(IRender& render) {
    if (max_ <= min_) return;
    double fraction = double(value_ - min_) / double(max_ - min_);
    Rect filled = pos_;
    if (horizontal_) filled.right = pos_.left + static_cast<int>(pos_.Width() * fraction);
    else filled.top = pos_.bottom - static_cast<int>(pos_.Height() * fraction);
    if (filled.IsEmpty()) return;
    if ((foreColor_ >> 24) != 0) {
        if (borderRound_.cx > 0) render.FillRoundRect(filled, borderRound_.cx, foreColor_);
        else render.FillRect(filled, foreColor_);
    }
    if (!foreImage_.IsEmpty()) {
        render.PushClip(filled);
        DrawImage(render, foreImage_);
        render.PopClip();
    }
}

bool CProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "min" || name == "max" || name == "value") {
        auto n = ParseInt(value);
        if (!n) return false;
        if (name == "min") SetMinValue(*n);
        else if (name == "max") SetMaxValue(*n);
        else SetValue(*n);
        return true;
    }
    if (name == "hor") {
        auto b = ParseBool(value);
        if (!b) return false;
        horizontal_ = *b;
        Invalidate();
        return true;
    }
    if (name == "foreimage") {
        auto spec = ParseImage(value);
        if (!spec) return false;
        foreImage_ = std::move(*spec);
        Invalidate();
        return true;
    }
    if (name == "forecolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        foreColor_ = *c;
        Invalidate();
        return true;
    }
    if (name == "isstretchfore") return ParseBool(value).has_value();
    return CLabelUI::SetAttribute(name, value);
}

void CProgressUI::DescribeState(ControlState* state) const {
    CLabelUI::DescribeState(state);
    state->value = value_;
    state->minimum = min_;
    state->maximum = max_;
}

}  // namespace uikit
