// One row of a list: a horizontal layout that can be hot and selected.
// Clicks on its labels and pictures count as clicks on the row; buttons
// and other controls inside it keep their own.
#pragma once

#include "uikit/controls/horizontal_layout.h"

namespace uikit {

class CListUI;

class CListContainerElementUI : public CHorizontalLayoutUI {
public:
    std::string_view GetClass() const override { return "ListContainerElement"; }

    CListUI* GetOwnerList() const;
    int GetIndex() const;
    bool IsSelected() const { return selected_; }
    void SetSelectedState(bool selected);

    CControlUI* FindControlAt(Point p) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(IRender& render) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DescribeState(ControlState* state) const override;

private:
    bool selected_ = false;
    bool hot_ = false;
    bool pressing_ = false;
    ImageSpec hotImage_;
    ImageSpec selectedImage_;
    uint32_t hotBk_ = 0;
    uint32_t selectedBk_ = 0;
};

}  // namespace uikit
