#include "uikit/core/container.h"

#include "uikit/core/control_tree.h"

#include <algorithm>

namespace uikit {

CControlUI* CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

CControlUI* CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control) return nullptr;
    index = std::clamp(index, 0, GetCount());
    CControlUI* raw = control.get();
    items_.insert(items_.begin() + index, std::move(control));
    raw->Attach(tree_, this);
    if (tree_) tree_->NormaliseGroups();
    NeedLayout();
    Invalidate();
    return raw;
}

bool CContainerUI::Remove(CControlUI* control) { return RemoveAt(GetItemIndex(control)); }

bool CContainerUI::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return false;
    std::unique_ptr<CControlUI> removed = std::move(items_[index]);
    items_.erase(items_.begin() + index);
    removed->Attach(nullptr, nullptr);
    NeedLayout();
    Invalidate();
    return true;
}

void CContainerUI::RemoveAll() {
    while (!items_.empty()) RemoveAt(GetCount() - 1);
    scrollPos_ = 0;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return items_[index].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (items_[i].get() == control) return i;
    }
    return -1;
}

void CContainerUI::SetInset(const Rect& rc) {
    inset_ = rc;
    NeedLayout();
}

void CContainerUI::SetChildPadding(int padding) {
    childPadding_ = padding;
    NeedLayout();
}

void CContainerUI::SetScrollPos(int pos) {
    pos = std::clamp(pos, 0, scrollRange_);
    if (pos == scrollPos_) return;
    scrollPos_ = pos;
    NeedLayout();
    Invalidate();
}

void CContainerUI::EnsureVisible(const CControlUI* control) {
    if (!vscroll_ || !control) return;
    Rect inner = InnerRect();
    const Rect& rc = control->GetPos();
    if (rc.top < inner.top) SetScrollPos(scrollPos_ - (inner.top - rc.top));
    else if (rc.bottom > inner.bottom) SetScrollPos(scrollPos_ + (rc.bottom - inner.bottom));
}

Rect CContainerUI::InnerRect() const {
    Rect inner = pos_.Deflate(inset_);
    if (vscroll_ && scrollRange_ > 0) inner.right -= kScrollBarWidth;
    return inner;
}

Rect CContainerUI::ScrollTrack() const {
    if (!vscroll_ || scrollRange_ <= 0) return {};
    Rect inner = pos_.Deflate(inset_);
    return {inner.right - kScrollBarWidth, inner.top, inner.right, inner.bottom};
}

Rect CContainerUI::ScrollThumb() const {
    Rect track = ScrollTrack();
    if (track.IsEmpty()) return {};
    int view = track.Height();
    int content = view + scrollRange_;
    int thumb = std::max(20, static_cast<int>(int64_t(view) * view / content));
    thumb = std::min(thumb, view);
    int top = track.top + static_cast<int>(int64_t(view - thumb) * scrollPos_ / scrollRange_);
    return {track.left + 1, top, track.right - 1, top + thumb};
}

void CContainerUI::SetContentHeight(int height) {
    int view = pos_.Deflate(inset_).Height();
    int range = std::max(0, height - view);
    scrollRange_ = vscroll_ ? range : 0;
    scrollPos_ = std::clamp(scrollPos_, 0, scrollRange_);
}

void CContainerUI::PlaceFloat(CControlUI* child) {
    Rect fp = child->GetFloatPos();
    Size sz = child->EstimateSize({pos_.Width(), pos_.Height()});
    int width = sz.cx > 0 ? sz.cx : fp.Width();
    int height = sz.cy > 0 ? sz.cy : fp.Height();
    int left = pos_.left + fp.left;
    int top = pos_.top + fp.top;
    child->SetPos({left, top, left + width, top + height});
}

void CContainerUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    Rect inner = InnerRect();
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            PlaceFloat(item.get());
            continue;
        }
        item->SetPos(inner.Deflate(item->GetPadding()));
    }
}

void CContainerUI::DoPaint(IRender& render, const Rect& dirty) {
    if (!dirty.Intersects(pos_)) return;
    CControlUI::DoPaint(render, dirty);
    render.PushClip(pos_);
    Rect inner = InnerRect();
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            item->DoPaint(render, dirty);
            continue;
        }
        if (!item->GetPos().Intersects(inner)) continue;
        render.PushClip(inner);
        item->DoPaint(render, dirty);
        render.PopClip();
    }
    PaintScrollBar(render);
    render.PopClip();
}

void CContainerUI::PaintScrollBar(IRender& render) {
    Rect thumb = ScrollThumb();
    if (thumb.IsEmpty()) return;
    render.FillRoundRect(thumb, thumb.Width() / 2, scrollThumbColour_);
}

void CContainerUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case EventType::kScrollWheel:
        if (vscroll_ && scrollRange_ > 0) {
            SetScrollPos(scrollPos_ - event.wheelDelta * 40 / 120);
            return;
        }
        if (parent_) parent_->DoEvent(event);
        return;
    case EventType::kButtonDown: {
        Rect track = ScrollTrack();
        if (!track.IsEmpty() && track.Contains(event.pt)) {
            Rect thumb = ScrollThumb();
            if (thumb.Contains(event.pt)) {
                draggingThumb_ = true;
                dragStartY_ = event.pt.y;
                dragStartPos_ = scrollPos_;
            } else {
                // A click on the track pages towards it.
                int page = std::max(1, track.Height() - 20);
                SetScrollPos(scrollPos_ + (event.pt.y < thumb.top ? -page : page));
            }
        }
        return;
    }
    case EventType::kMouseMove:
        if (draggingThumb_) {
            Rect track = ScrollTrack();
            int room = track.Height() - ScrollThumb().Height();
            if (room > 0) {
                SetScrollPos(dragStartPos_ + static_cast<int>(int64_t(event.pt.y - dragStartY_) * scrollRange_ / room));
            }
        }
        return;
    case EventType::kButtonUp:
        draggingThumb_ = false;
        return;
    default:
        CControlUI::DoEvent(event);
    }
}

CControlUI* CContainerUI::FindControlAt(Point p) {
    if (!visible_ || !pos_.Contains(p)) return nullptr;
    Rect track = ScrollTrack();
    if (!track.IsEmpty() && track.Contains(p)) return this;
    Rect inner = InnerRect();
    // Later children are painted over earlier ones, so they are asked first.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        CControlUI* item = it->get();
        if (!item->IsOwnVisible()) continue;
        if (!item->IsFloat() && !inner.Contains(p)) continue;
        if (CControlUI* hit = item->FindControlAt(p)) return hit;
    }
    return mouseEnabled_ ? this : nullptr;
}

void CContainerUI::Visit(const std::function<void(CControlUI&)>& visitor) {
    visitor(*this);
    for (auto& item : items_) item->Visit(visitor);
}

bool CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "inset") {
        auto r = ParseRect(value);
        if (!r) return false;
        SetInset(*r);
    } else if (name == "childpadding") {
        auto n = ParseInt(value);
        if (!n) return false;
        SetChildPadding(*n);
    } else if (name == "vscrollbar") {
        auto b = ParseBool(value);
        if (!b) return false;
        vscroll_ = *b;
        NeedLayout();
    } else if (name == "scrollthumbcolor") {
        auto c = ParseColour(value);
        if (!c) return false;
        scrollThumbColour_ = *c;
    } else {
        return CControlUI::SetAttribute(name, value);
    }
    return true;
}

void CContainerUI::Attach(ControlTree* tree, CControlUI* parent) {
    CControlUI::Attach(tree, parent);
    for (auto& item : items_) item->Attach(tree, this);
}

}  // namespace uikit
