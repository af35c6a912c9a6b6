#include "uikit/controls/option.h"

#include "uikit/core/control_tree.h"

namespace uikit {

void COptionUI::Selected(bool selected, bool notify) {
    if (selected == selected_) return;
    selected_ = selected;
    Invalidate();
    if (!group_.empty()) {
        if (!selected_) return;
        if (tree_) {
            for (COptionUI* other : tree_->Group(group_)) {
                if (other != this) other->Selected(false, notify);
            }
        }
    }
    if (notify) Notify(notify::kSelectChanged, selected_ ? 1 : 0);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    // The click handler may have hidden or disabled the option.
    if (!IsEnabled()) return true;
    if (!group_.empty()) Selected(true);
    else Selected(!selected_);
    return true;
}

uint32_t COptionUI::CurrentBkColor() const {
    if (selected_ && IsEnabled() && selectedBkColor_) return selectedBkColor_;
    return CButtonUI::CurrentBkColor();
}

void COptionUI::PaintStateImage(IRender& render) {
    const ImageSpec* image = &selectedImage_;
    if ((hot_ || pushed_) && !selectedHotImage_.IsEmpty()) image = &selectedHotImage_;
    if (selected_ && !image->IsEmpty()) DrawImage(render, *image);
    else CButtonUI::PaintStateImage(render);
}

uint32_t COptionUI::CurrentTextColor() const {
    if (selected_ && IsEnabled() && selectedTextColor_) return selectedTextColor_;
    return CButtonUI::CurrentTextColor();
}

bool COptionUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group") {
        SetGroup(std::string(value));
        return true;
    }
    if (name == "selected") {
        auto b = ParseBool(value);
        if (!b) return false;
        // Layout values are set before the window listens: no notification.
        Selected(*b, false);
        return true;
    }
    if (name == "selectedimage") return SetImage(&selectedImage_, value);
    if (name == "selectedhotimage") return SetImage(&selectedHotImage_, value);
    if (name == "selectedtextcolor" || name == "selectedbkcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        (name == "selectedtextcolor" ? selectedTextColor_ : selectedBkColor_) = *c;
        Invalidate();
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

void COptionUI::DescribeState(ControlState* state) const {
    CButtonUI::DescribeState(state);
    state->checked = selected_ ? 1 : 0;
}

void COptionUI::ClearSelection() {
    if (!selected_) return;
    selected_ = false;
    Invalidate();
}

}  // namespace uikit
