#include "uikit/controls/list.h"

#include "uikit/controls/list_container_element.h"
#include "uikit/core/control_tree.h"

namespace uikit {

namespace {
constexpr unsigned kKeyUp = 0x26;
constexpr unsigned kKeyDown = 0x28;
}  // namespace

CListUI::CListUI() { vscroll_ = true; }

CControlUI* CListUI::AddRow(std::string_view layoutFile, std::string* error) {
    std::string reason;
    if (!tree_ || !tree_->Host()) {
        reason = "the list is not in a window";
    } else if (auto row = tree_->Host()->BuildLayout(layoutFile, &reason)) {
        return Add(std::move(row));
    }
    if (error) *error = reason;
    return nullptr;
}

bool CListUI::SelectItem(int index, bool notify) {
    if (index < -1 || index >= GetCount()) return false;
    if (index == curSel_) return true;
    int old = curSel_;
    if (auto* row = dynamic_cast<CListContainerElementUI*>(GetItemAt(old))) row->SetSelectedState(false);
    curSel_ = index;
    if (auto* row = dynamic_cast<CListContainerElementUI*>(GetItemAt(index))) {
        row->SetSelectedState(true);
        if (tree_) tree_->LayoutIfNeeded();
        EnsureVisible(row);
    }
    if (notify) Notify(notify::kItemSelect, index, old);
    return true;
}

void CListUI::OnRowPressed(CListContainerElementUI* row) { SelectItem(GetItemIndex(row)); }

void CListUI::OnRowClicked(CListContainerElementUI* row) {
    if (tree_) tree_->Notify(row, notify::kItemClick, GetItemIndex(row));
}

void CListUI::DoEvent(TEventUI& event) {
    if (event.type == EventType::kKeyDown && GetCount() > 0) {
        if (event.key == kKeyUp) {
            SelectItem(curSel_ <= 0 ? 0 : curSel_ - 1);
            return;
        }
        if (event.key == kKeyDown) {
            SelectItem(curSel_ + 1 < GetCount() ? curSel_ + 1 : GetCount() - 1);
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::SetPos(const Rect& rc) {
    // Rows removed behind the selection's back leave it pointing past the end.
    if (curSel_ >= GetCount()) curSel_ = -1;
    CVerticalLayoutUI::SetPos(rc);
}

bool CListUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "itemhotbkcolor" || name == "itemselectedbkcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        (name == "itemhotbkcolor" ? itemHotBk_ : itemSelectedBk_) = *c;
        return true;
    }
    return CVerticalLayoutUI::SetAttribute(name, value);
}

void CListUI::DescribeState(ControlState* state) const {
    CVerticalLayoutUI::DescribeState(state);
    state->value = curSel_;
}

CListUI* CListContainerElementUI::GetOwnerList() const { return dynamic_cast<CListUI*>(parent_); }

int CListContainerElementUI::GetIndex() const {
    CListUI* list = GetOwnerList();
    return list ? list->GetItemIndex(this) : -1;
}

void CListContainerElementUI::SetSelectedState(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    Invalidate();
}

CControlUI* CListContainerElementUI::FindControlAt(Point p) {
    CControlUI* hit = CHorizontalLayoutUI::FindControlAt(p);
    if (hit && hit != this && !hit->IsFocusable()) return mouseEnabled_ ? this : hit;
    return hit;
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case EventType::kMouseEnter:
        hot_ = true;
        Invalidate();
        return;
    case EventType::kMouseLeave:
        hot_ = false;
        Invalidate();
        return;
    case EventType::kButtonDown:
        if (!IsEnabled()) return;
        pressing_ = true;
        if (CListUI* list = GetOwnerList()) list->OnRowPressed(this);
        return;
    case EventType::kButtonUp: {
        bool click = pressing_ && pos_.Contains(event.pt);
        pressing_ = false;
        if (click) {
            if (CListUI* list = GetOwnerList()) list->OnRowClicked(this);
        }
        return;
    }
    case EventType::kKeyDown:
    case EventType::kScrollWheel:
        if (parent_) parent_->DoEvent(event);
        return;
    default:
        CHorizontalLayoutUI::DoEvent(event);
    }
}

void CListContainerElementUI::PaintStatusImage(IRender& render) {
    CListUI* list = GetOwnerList();
    uint32_t bk = 0;
    const ImageSpec* image = nullptr;
    if (selected_) {
        bk = selectedBk_ ? selectedBk_ : list ? list->ItemSelectedBkColor() : 0;
        image = &selectedImage_;
    } else if (hot_) {
        bk = hotBk_ ? hotBk_ : list ? list->ItemHotBkColor() : 0;
        image = &hotImage_;
    }
    if ((bk >> 24) != 0) render.FillRect(pos_, bk);
    if (image && !image->IsEmpty()) DrawImage(render, *image);
}

bool CListContainerElementUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hotimage" || name == "selectedimage") {
        auto spec = ParseImage(value);
        if (!spec) return false;
        (name == "hotimage" ? hotImage_ : selectedImage_) = std::move(*spec);
        return true;
    }
    if (name == "hotbkcolor" || name == "selectedbkcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        (name == "hotbkcolor" ? hotBk_ : selectedBk_) = *c;
        return true;
    }
    return CHorizontalLayoutUI::SetAttribute(name, value);
}

void CListContainerElementUI::DescribeState(ControlState* state) const {
    CHorizontalLayoutUI::DescribeState(state);
    state->checked = selected_ ? 1 : 0;
}

}  // namespace uikit
