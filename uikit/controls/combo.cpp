#include "uikit/controls/combo.h"

#include "uikit/core/control_tree.h"

namespace uikit {

CComboUI::CComboUI() { textPadding_ = {6, 0, 24, 0}; }

int CComboUI::AddItem(std::string text) {
    items_.push_back(std::move(text));
    return GetCount() - 1;
}

bool CComboUI::RemoveItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    items_.erase(items_.begin() + index);
    if (curSel_ == index) curSel_ = -1;
    else if (curSel_ > index) --curSel_;
    Invalidate();
    return true;
}

void CComboUI::RemoveAll() {
    items_.clear();
    curSel_ = -1;
    Invalidate();
}

bool CComboUI::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) return false;
    if (index == curSel_) return true;
    int old = curSel_;
    curSel_ = index;
    Invalidate();
    if (notify) Notify(notify::kItemSelect, index, old);
    return true;
}

bool CComboUI::Activate() {
    if (!IsEnabled() || !IsVisible()) return false;
    if (tree_ && tree_->Host()) tree_->Host()->ShowDropDown(*this);
    return true;
}

std::string CComboUI::GetText() const { return curSel_ >= 0 ? items_[curSel_] : text_; }

bool CComboUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "dropboxsize") {
        auto s = ParseSize(value);
        if (!s || s->cy <= 0) return false;
        dropHeight_ = s->cy;
        return true;
    }
    if (name == "itemhotbkcolor" || name == "itemtextcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        (name == "itemhotbkcolor" ? itemHotBk_ : itemTextColor_) = *c;
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

void CComboUI::DescribeState(ControlState* state) const {
    CButtonUI::DescribeState(state);
    state->value = curSel_;
}

}  // namespace uikit
