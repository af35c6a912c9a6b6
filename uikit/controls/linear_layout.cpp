// The arithmetic of the vertical and horizontal layouts. Both share one
// routine, written for the vertical direction; the horizontal layout runs
// it on transposed rectangles.
#include "uikit/controls/horizontal_layout.h"
#include "uikit/controls/vertical_layout.h"

#include <algorithm>

namespace uikit {

namespace {

Rect Transpose(const Rect& r) { return {r.top, r.left, r.bottom, r.right}; }
Size Transpose(Size s) { return {s.cy, s.cx}; }

// Places children along the main axis (y in the routine's frame). inner is
// the area in that frame; transposed says whether the frame is transposed.
// Returns the content length along the main axis.
int Arrange(const std::vector<std::unique_ptr<CControlUI>>& items, Rect inner, int childPadding, int scroll,
            unsigned crossAlign, unsigned mainAlign, bool transposed) {
    auto frame = [&](const Rect& r) { return transposed ? Transpose(r) : r; };
    Size available{inner.Width(), inner.Height()};

    struct Slot {
        CControlUI* control;
        Size size;  // in the routine's frame; main 0 = share
        Rect padding;
    };
    std::vector<Slot> slots;
    int fixedMain = 0;
    int shares = 0;
    for (const auto& item : items) {
        if (!item->IsOwnVisible() || item->IsFloat()) continue;
        Size estimate = item->EstimateSize(transposed ? Transpose(available) : available);
        Size sz = transposed ? Transpose(estimate) : estimate;
        Rect padding = frame(item->GetPadding());
        int minMain = transposed ? item->GetMinWidth() : item->GetMinHeight();
        int maxMain = transposed ? item->GetMaxWidth() : item->GetMaxHeight();
        if (sz.cy == 0) {
            ++shares;
        } else {
            sz.cy = std::clamp(sz.cy, minMain, std::max(minMain, maxMain));
            fixedMain += sz.cy;
        }
        fixedMain += padding.top + padding.bottom;
        slots.push_back({item.get(), sz, padding});
    }
    if (!slots.empty()) fixedMain += childPadding * static_cast<int>(slots.size() - 1);

    int share = 0;
    int remainder = 0;
    if (shares > 0) {
        int left = std::max(0, available.cy - fixedMain);
        share = left / shares;
        remainder = left % shares;
    }

    int pos = inner.top - scroll;
    // Without controls that share the rest, the rest may go before them (centre, end).
    if (shares == 0 && available.cy > fixedMain) {
        if (mainAlign == 1) pos += (available.cy - fixedMain) / 2;
        else if (mainAlign == 2) pos += available.cy - fixedMain;
    }
    int shareIndex = 0;
    for (const Slot& slot : slots) {
        CControlUI* c = slot.control;
        int main = slot.size.cy;
        if (main == 0) {
            main = share + (++shareIndex == shares ? remainder : 0);
            int minMain = transposed ? c->GetMinWidth() : c->GetMinHeight();
            int maxMain = transposed ? c->GetMaxWidth() : c->GetMaxHeight();
            main = std::clamp(main, minMain, std::max(minMain, maxMain));
        }
        int room = available.cx - slot.padding.left - slot.padding.right;
        int cross = slot.size.cx == 0 ? room : std::min(slot.size.cx, std::max(0, room));
        int crossStart = inner.left + slot.padding.left;
        if (crossAlign == 1) crossStart += (room - cross) / 2;
        else if (crossAlign == 2) crossStart += room - cross;
        Rect placed{crossStart, pos + slot.padding.top, crossStart + cross, pos + slot.padding.top + main};
        c->SetPos(frame(placed));
        pos += slot.padding.top + main + slot.padding.bottom + childPadding;
    }
    if (!slots.empty()) pos -= childPadding;
    return pos + scroll - inner.top;
}

}  // namespace

void CVerticalLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    // The content height decides whether a scroll bar takes room, which
    // changes the width the children get: measure first, then place.
    Rect inner = InnerRect();
    unsigned align = childAlign_ == kAlignCenter ? 1 : childAlign_ == kAlignRight ? 2 : 0;
    int scrollBefore = scrollPos_;
    bool hadBar = vscroll_ && scrollRange_ > 0;
    unsigned mainAlign = childVAlign_ == kAlignVCenter ? 1 : childVAlign_ == kAlignBottom ? 2 : 0;
    int content = Arrange(items_, inner, childPadding_, scrollPos_, align, vscroll_ ? 0 : mainAlign, false);
    SetContentHeight(content);
    bool hasBar = vscroll_ && scrollRange_ > 0;
    if (hadBar != hasBar || scrollBefore != scrollPos_) {
        Arrange(items_, InnerRect(), childPadding_, scrollPos_, align, vscroll_ ? 0 : mainAlign, false);
    }
    for (auto& item : items_) {
        if (item->IsOwnVisible() && item->IsFloat()) PlaceFloat(item.get());
    }
}

namespace {
bool ParseAlign(std::string_view value, unsigned* align) {
    if (value == "left" || value == "top") *align = kAlignLeft;
    else if (value == "center" || value == "vcenter") *align = kAlignCenter;
    else if (value == "right" || value == "bottom") *align = kAlignRight;
    else return false;
    return true;
}
}  // namespace

bool CVerticalLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "childvalign") {
        unsigned align;
        if (!ParseAlign(value, &align)) return false;
        childVAlign_ = align == kAlignCenter ? kAlignVCenter : align == kAlignRight ? kAlignBottom : kAlignTop;
        NeedLayout();
        return true;
    }
    if (name == "childalign") {
        if (value == "left") childAlign_ = kAlignLeft;
        else if (value == "center") childAlign_ = kAlignCenter;
        else if (value == "right") childAlign_ = kAlignRight;
        else return false;
        NeedLayout();
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

void CHorizontalLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    unsigned align = childVAlign_ == kAlignVCenter ? 1 : childVAlign_ == kAlignBottom ? 2 : 0;
    unsigned mainAlign = childAlign_ == kAlignCenter ? 1 : childAlign_ == kAlignRight ? 2 : 0;
    Arrange(items_, Transpose(InnerRect()), childPadding_, 0, align, mainAlign, true);
    for (auto& item : items_) {
        if (item->IsOwnVisible() && item->IsFloat()) PlaceFloat(item.get());
    }
}

bool CHorizontalLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "childalign") {
        if (!ParseAlign(value, &childAlign_)) return false;
        NeedLayout();
        return true;
    }
    if (name == "childvalign") {
        if (value == "top") childVAlign_ = kAlignTop;
        else if (value == "vcenter") childVAlign_ = kAlignVCenter;
        else if (value == "bottom") childVAlign_ = kAlignBottom;
        else return false;
        NeedLayout();
        return true;
    }
    if (name == "vscrollbar") return false;  // horizontal layouts do not scroll
    return CContainerUI::SetAttribute(name, value);
}

}  // namespace uikit
