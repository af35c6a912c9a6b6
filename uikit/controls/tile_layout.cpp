#include "uikit/controls/tile_layout.h"

#include <algorithm>

namespace uikit {

void CTileLayoutUI::SetPos(const Rect& rc) {
    CControlUI::SetPos(rc);
    Rect inner = InnerRect();
    int columns = columns_;
    int cellWidth = itemSize_.cx;
    if (cellWidth > 0) {
        columns = std::max(1, (inner.Width() + childPadding_) / (cellWidth + childPadding_));
    } else {
        cellWidth = std::max(0, (inner.Width() - childPadding_ * (columns - 1)) / columns);
    }
    int cellHeight = itemSize_.cy > 0 ? itemSize_.cy : cellWidth;

    int index = 0;
    for (auto& item : items_) {
        if (!item->IsOwnVisible()) continue;
        if (item->IsFloat()) {
            PlaceFloat(item.get());
            continue;
        }
        int column = index % columns;
        int row = index / columns;
        int left = inner.left + column * (cellWidth + childPadding_);
        int top = inner.top - scrollPos_ + row * (cellHeight + childPadding_);
        Rect cell{left, top, left + cellWidth, top + cellHeight};
        item->SetPos(cell.Deflate(item->GetPadding()));
        ++index;
    }
    int rows = (index + columns - 1) / columns;
    SetContentHeight(rows > 0 ? rows * cellHeight + (rows - 1) * childPadding_ : 0);
}

bool CTileLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "columns") {
        auto n = ParseInt(value);
        if (!n || *n < 1) return false;
        columns_ = *n;
        NeedLayout();
        return true;
    }
    if (name == "itemsize") {
        auto s = ParseSize(value);
        if (!s || s->cx < 0 || s->cy < 0) return false;
        itemSize_ = *s;
        NeedLayout();
        return true;
    }
    return CContainerUI::SetAttribute(name, value);
}

}  // namespace uikit
