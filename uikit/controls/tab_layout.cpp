#include "uikit/controls/tab_layout.h"

#include "uikit/core/control_tree.h"

namespace uikit {

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == curSel_ && items_[index]->IsOwnVisible()) return true;
    int old = curSel_;
    curSel_ = index;
    ShowOnly(index);
    NeedLayout();
    Invalidate();
    if (old != index) Notify(notify::kTabSelect, index, old);
    return true;
}

void CTabLayoutUI::ShowOnly(int index) {
    // A page hidden with the focus inside loses it.
    CControlUI* focus = tree_ ? tree_->Focus() : nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        bool show = i == index;
        if (!show && focus) {
            for (CControlUI* c = focus; c; c = c->GetParent()) {
                if (c == items_[i].get()) {
                    tree_->SetFocus(nullptr);
                    focus = nullptr;
                    break;
                }
            }
        }
        items_[i]->SetVisible(show);
    }
}

void CTabLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    Rect inner = InnerRect();
    for (int i = 0; i < GetCount(); ++i) {
        if (i != curSel_) continue;
        CControlUI* page = items_[i].get();
        if (page->IsFloat()) PlaceFloat(page);
        else page->SetPos(inner.Deflate(page->GetPadding()));
    }
}

bool CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        auto n = ParseInt(value);
        if (!n || *n < 0) return false;
        // Children may not be there yet; Attach and SelectItem apply it.
        curSel_ = *n;
        if (curSel_ < GetCount()) ShowOnly(curSel_);
        return true;
    }
    if (name == "vscrollbar") return false;
    return CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::DescribeState(ControlState* state) const {
    CContainerUI::DescribeState(state);
    state->value = curSel_;
}

void CTabLayoutUI::Attach(ControlTree* tree, CControlUI* parent) {
    CContainerUI::Attach(tree, parent);
    if (GetCount() > 0) {
        if (curSel_ >= GetCount()) curSel_ = 0;
        for (int i = 0; i < GetCount(); ++i) items_[i]->SetVisible(i == curSel_);
    }
}

}  // namespace uikit
