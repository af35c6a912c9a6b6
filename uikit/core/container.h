// A control that holds controls: ownership, insets, spacing, floating
// children, hit testing, painting with clipping and vertical scrolling.
// The base places every non-floating child over the whole inner area;
// the layouts override SetPos with their own arithmetic.
#pragma once

#include "uikit/core/control.h"

#include <memory>
#include <vector>

namespace uikit {

class CContainerUI : public CControlUI {
public:
    std::string_view GetClass() const override { return "Container"; }

    // Takes ownership; returns the added control.
    CControlUI* Add(std::unique_ptr<CControlUI> control);
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index);
    bool Remove(CControlUI* control);
    bool RemoveAt(int index);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;

    const Rect& GetInset() const { return inset_; }
    void SetInset(const Rect& rc);
    int GetChildPadding() const { return childPadding_; }
    void SetChildPadding(int padding);

    // Vertical scrolling (vscrollbar="true"): the content may be taller than the control.
    bool HasVScroll() const { return vscroll_; }
    int GetScrollPos() const { return scrollPos_; }
    int GetScrollRange() const { return scrollRange_; }
    void SetScrollPos(int pos);
    // Scrolls so that control is wholly in view.
    void EnsureVisible(const CControlUI* control);
    // The scroll bar's track and thumb (empty when there is nothing to scroll).
    Rect ScrollTrack() const;
    Rect ScrollThumb() const;

    void SetPos(const Rect& rc) override;
    void DoPaint(IRender& render, const Rect& dirty) override;
    void DoEvent(TEventUI& event) override;
    CControlUI* FindControlAt(Point p) override;
    void Visit(const std::function<void(CControlUI&)>& visitor) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void Attach(ControlTree* tree, CControlUI* parent) override;

    static constexpr int kScrollBarWidth = 8;

protected:
    // The area inside the insets, less the scroll bar when one is shown.
    Rect InnerRect() const;
    // Places a floating child by its pos, relative to this control.
    void PlaceFloat(CControlUI* child);
    // Records the content height of a vertical arrangement and keeps the scroll position in range.
    void SetContentHeight(int height);
    // Paints the scroll bar (after the children).
    virtual void PaintScrollBar(IRender& render);

    std::vector<std::unique_ptr<CControlUI>> items_;
    Rect inset_;
    int childPadding_ = 0;
    bool vscroll_ = false;
    int scrollPos_ = 0;
    int scrollRange_ = 0;  // content height minus view height, 0 when all fits
    uint32_t scrollThumbColour_ = 0x66000000;
    bool draggingThumb_ = false;
    int dragStartY_ = 0;
    int dragStartPos_ = 0;
};

}  // namespace uikit
