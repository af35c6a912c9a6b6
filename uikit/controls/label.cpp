#include "uikit/controls/label.h"

#include "uikit/core/control_tree.h"
#include "uikit/core/text_fit.h"

namespace uikit {

void CLabelUI::SetFont(int font) {
    font_ = font;
    Invalidate();
}

void CLabelUI::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
    disabledTextColor_ = argb;
    Invalidate();
}

void CLabelUI::SetTextFlags(unsigned flags) {
    flags_ = flags;
    Invalidate();
}

void CLabelUI::SetTextPadding(const Rect& rc) {
    textPadding_ = rc;
    Invalidate();
}

Size CLabelUI::EstimateSize(Size available) {
    Size size = CControlUI::EstimateSize(available);
    if (autoWidth_ && tree_ && tree_->Host()) {
        Size text = tree_->Host()->MeasureText(GetText(), font_, 0);
        size.cx = text.cx + textPadding_.left + textPadding_.right;
    }
    return size;
}

uint32_t CLabelUI::CurrentTextColor() const { return IsEnabled() ? textColor_ : disabledTextColor_; }

void CLabelUI::PaintText(IRender& render) { DrawLabelText(render, CurrentTextColor()); }

void CLabelUI::DrawLabelText(IRender& render, uint32_t colour) {
    std::string text = GetText();
    if (text.empty()) return;
    Rect rc = pos_.Deflate(textPadding_);
    if (rc.IsEmpty()) return;
    TextStyle style;
    style.font = font_;
    style.colour = colour;
    style.flags = flags_;
    if ((flags_ & kEndEllipsis) && (flags_ & kSingleLine)) {
        int font = font_;
        text = FitWithEllipsis(text, rc.Width(),
                               [&](std::string_view piece) { return render.MeasureText(piece, font, 0).cx; });
    }
    render.RenderText(rc, text, style);
}

bool CLabelUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "font") {
        auto n = ParseInt(value);
        if (!n) return false;
        SetFont(*n);
    } else if (name == "textcolor" || name == "disabledtextcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        if (name == "textcolor") SetTextColor(*c);
        else SetDisabledTextColor(*c);
    } else if (name == "align") {
        unsigned horizontal = 0;
        if (value == "left") horizontal = kAlignLeft;
        else if (value == "center") horizontal = kAlignCenter;
        else if (value == "right") horizontal = kAlignRight;
        else return false;
        SetTextFlags((flags_ & ~(kAlignCenter | kAlignRight)) | horizontal);
    } else if (name == "valign") {
        unsigned vertical = 0;
        if (value == "top") vertical = kAlignTop;
        else if (value == "vcenter") vertical = kAlignVCenter;
        else if (value == "bottom") vertical = kAlignBottom;
        else return false;
        SetTextFlags((flags_ & ~(kAlignVCenter | kAlignBottom)) | vertical);
    } else if (name == "endellipsis" || name == "multiline" || name == "autocalcwidth") {
        auto b = ParseBool(value);
        if (!b) return false;
        if (name == "endellipsis") {
            SetTextFlags(*b ? flags_ | kEndEllipsis : flags_ & ~kEndEllipsis);
        } else if (name == "multiline") {
            SetTextFlags(*b ? (flags_ & ~kSingleLine) | kWordBreak : (flags_ & ~kWordBreak) | kSingleLine);
        } else {
            autoWidth_ = *b;
            NeedParentLayout();
        }
    } else if (name == "textpadding") {
        auto r = ParseRect(value);
        if (!r) return false;
        SetTextPadding(*r);
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

}  // namespace uikit
